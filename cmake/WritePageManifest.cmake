# Writes UI_DIR/manifest.json: {"buildTime":…,"sourceRevision":…,"sha256":…}.
#
# "sha256" names the exact page: the SHA-256 (lower-case hex) of a listing of every other file of the
# folder, one line per file in ascending byte order of its path relative to the folder ('/' between
# folders), each line being the file's own lower-case hex SHA-256, two spaces, the relative path and a
# line feed -- the format of sha256sum. The same digest comes out of
#   cd ui && find . -type f ! -path ./manifest.json -printf '%P\n' | LC_ALL=C sort \
#     | xargs -d '\n' sha256sum | sha256sum
# "buildTime" is the UTC time of assembly (SOURCE_DATE_EPOCH, when set, fixes it for reproducible
# builds); "sourceRevision" is the git commit the page was assembled from, or "unknown" outside git.
cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${UI_DIR} ${UI_DIR}/*)
list(REMOVE_ITEM files manifest.json)
list(SORT files COMPARE STRING)
set(listing "")
foreach(file IN LISTS files)
  file(SHA256 ${UI_DIR}/${file} file_digest)
  string(APPEND listing "${file_digest}  ${file}\n")
endforeach()
string(SHA256 digest "${listing}")

string(TIMESTAMP build_time "%Y-%m-%dT%H:%M:%SZ" UTC)
execute_process(COMMAND git -C ${SOURCE_DIR} rev-parse HEAD
  OUTPUT_VARIABLE revision OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE git_result ERROR_QUIET)
if(NOT git_result EQUAL 0 OR NOT revision MATCHES "^[0-9a-f]+$")
  set(revision unknown)
endif()

file(WRITE ${UI_DIR}/manifest.json
  "{\"buildTime\":\"${build_time}\",\"sourceRevision\":\"${revision}\",\"sha256\":\"${digest}\"}\n")
