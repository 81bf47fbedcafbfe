# quillet_warnings(target): the project's warning set, kept per target.
function(quillet_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
endfunction()
