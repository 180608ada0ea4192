# The compile and link flags every target of the project takes, set on each target rather than
# on the whole directory tree. The root CMakeLists.txt applies them to every target once all
# folders are read, so a new library or program cannot miss them.

# velquin_target_defaults(<target>): the warnings, and the sanitizers of the asan, tsan and fuzz
# builds.
function(velquin_target_defaults target)
    get_target_property(type ${target} TYPE)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(VELQUIN_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    set(sanitizers "")
    if(VELQUIN_SANITIZE)
        set(sanitizers address,undefined)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
    if(VELQUIN_TSAN)
        set(sanitizers thread)
        target_compile_options(${target} PRIVATE -fsanitize=thread)
    endif()
    if(VELQUIN_FUZZ)
        # Coverage for everything the fuzz targets link; the targets themselves add the fuzzer main.
        set(sanitizers address,undefined)
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    endif()
    if(sanitizers)
        target_compile_options(${target} PRIVATE -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        # A static library is not linked by itself: the programs that take it are.
        if(NOT type STREQUAL "STATIC_LIBRARY" AND NOT type STREQUAL "OBJECT_LIBRARY")
            target_link_options(${target} PRIVATE -fsanitize=${sanitizers})
        endif()
    endif()
endfunction()

# velquin_target_defaults_below(<folder>): velquin_target_defaults on every library and program
# defined in the folder and the folders it adds.
function(velquin_target_defaults_below folder)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|OBJECT_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY)$")
            velquin_target_defaults(${target})
        endif()
    endforeach()
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder IN LISTS subfolders)
        velquin_target_defaults_below(${subfolder})
    endforeach()
endfunction()
