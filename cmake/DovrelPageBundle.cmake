# dovrel_ship_page(TARGET UI_DIR): a target that assembles the editor page into UI_DIR: the files of
# ui/page, the kernel-facts.js module written by dovrel-page-facts, and manifest.json (build time,
# source revision and the digest of every other file, see WritePageManifest.cmake). The folder is
# rebuilt from scratch whenever a page file changes, so files removed from ui/page leave it too.
function(dovrel_ship_page target ui_dir)
  set(page_source ${PROJECT_SOURCE_DIR}/ui/page)
  file(GLOB_RECURSE page_files CONFIGURE_DEPENDS ${page_source}/*)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.stamp)
  set(manifest_script ${PROJECT_SOURCE_DIR}/cmake/WritePageManifest.cmake)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ui_dir}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${page_source} ${ui_dir}
    COMMAND $<TARGET_FILE:dovrel-page-facts> ${ui_dir}/js/kernel-facts.js
    COMMAND ${CMAKE_COMMAND} -DUI_DIR=${ui_dir} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${manifest_script}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${page_files} dovrel-page-facts ${manifest_script}
    COMMENT "Assembling the editor page in ${ui_dir}"
    VERBATIM)
  add_custom_target(${target} DEPENDS ${stamp})
endfunction()
