# SPDX-License-Identifier: MIT
# Warnings and sanitizers for every target of ours, set once here.
add_library(zumeko_settings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(zumeko_settings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
        -Wsign-conversion
        $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual -Wzero-as-null-pointer-constant>)
    if(ZUMEKO_WERROR)
        target_compile_options(zumeko_settings INTERFACE -Werror)
    endif()
    if(ZUMEKO_SANITIZE)
        target_compile_options(zumeko_settings INTERFACE
            -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
        target_link_options(zumeko_settings INTERFACE -fsanitize=address,undefined)
    endif()
endif()
target_compile_definitions(zumeko_settings INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_FOREACH
    QT_NO_KEYWORDS)
