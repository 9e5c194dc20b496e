# One interface target that carries the compile settings every target of the project uses.
add_library(zorvan_common_config INTERFACE)
target_compile_features(zorvan_common_config INTERFACE cxx_std_20)
target_compile_options(zorvan_common_config INTERFACE -Wall -Wextra)
option(ZORVAN_WERROR "Treat compiler warnings as errors (the test command turns it on under CI=true)" OFF)
if(ZORVAN_WERROR)
    target_compile_options(zorvan_common_config INTERFACE -Werror)
endif()
target_compile_definitions(zorvan_common_config INTERFACE
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS)

set(ZORVAN_SANITIZE "" CACHE STRING "Build with sanitizers: empty, 'thread' or 'address' (address + undefined)")
if(ZORVAN_SANITIZE STREQUAL "thread")
    target_compile_options(zorvan_common_config INTERFACE -fsanitize=thread -g -O1)
    target_link_options(zorvan_common_config INTERFACE -fsanitize=thread)
elseif(ZORVAN_SANITIZE STREQUAL "address")
    target_compile_options(zorvan_common_config INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined -g -O1)
    target_link_options(zorvan_common_config INTERFACE -fsanitize=address,undefined)
elseif(NOT ZORVAN_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ZORVAN_SANITIZE must be empty, 'thread' or 'address'")
endif()
