# Flags shared by every target of the project, carried on one INTERFACE target.
add_library(setlistry_options INTERFACE)
add_library(Setlistry::options ALIAS setlistry_options)

target_compile_features(setlistry_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_options(setlistry_options INTERFACE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
if(SETLISTRY_WERROR)
    target_compile_options(setlistry_options INTERFACE -Werror)
endif()

target_compile_definitions(setlistry_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_KEYWORDS
    QT_USE_QSTRINGBUILDER)

if(SETLISTRY_SANITIZE)
    target_compile_options(setlistry_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(setlistry_options INTERFACE -fsanitize=address,undefined)
endif()
