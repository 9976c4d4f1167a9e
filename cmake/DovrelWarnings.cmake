# Our own code builds with every warning as an error; third-party code (the SDK) does not use this.
function(dovrel_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
