# Shared compiler settings: one interface target that every project target links.
option(TOVO_WARNINGS_AS_ERRORS "Treat compiler warnings as errors (the dev and asan presets turn it on)" OFF)
option(TOVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(tovo_options INTERFACE)
target_compile_options(tovo_options INTERFACE -Wall -Wextra -Wpedantic -Wold-style-cast -Wshadow)
if(TOVO_WARNINGS_AS_ERRORS)
    target_compile_options(tovo_options INTERFACE -Werror)
endif()
if(TOVO_SANITIZE)
    target_compile_options(tovo_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
    target_link_options(tovo_options INTERFACE -fsanitize=address,undefined)
endif()
