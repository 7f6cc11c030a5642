# The library search path of every program: the build folder (the program
# folder, where libHollet.so is), named from the program's own folder
# ($ORIGIN, and $ORIGIN/.. for one in tests/ or bench/), and nothing else; the
# port library and the plug-ins search none. The same path serves the build
# folder and the install, where the programs lie beside the library. No entry
# is empty or relative to the current folder, which the loader would search.
if(WIN32)
    return()
endif()
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
set(CMAKE_INSTALL_RPATH "")

function(quillard_collect_targets folder out)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder IN LISTS subfolders)
        quillard_collect_targets(${subfolder} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once every target is defined.
function(quillard_set_runpaths)
    quillard_collect_targets(${CMAKE_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type STREQUAL "EXECUTABLE")
            continue()  # libraries and plug-ins keep the empty CMAKE_INSTALL_RPATH
        endif()
        get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
        if(NOT folder)
            set(folder ${CMAKE_CURRENT_BINARY_DIR})
        endif()
        file(RELATIVE_PATH up ${folder} ${CMAKE_BINARY_DIR})
        if(up STREQUAL "")
            set(runpath "$ORIGIN")
        else()
            # a test program copied into a program folder of its own finds
            # the library there first
            string(REGEX REPLACE "/$" "" up "${up}")
            set(runpath "$ORIGIN;$ORIGIN/${up}")
        endif()
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "${runpath}")
    endforeach()
endfunction()
