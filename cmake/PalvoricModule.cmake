# One static library per module, its sources next to its CMakeLists.txt.
# Modules below app/ link QtCore only: the linker refuses a widget there.
function(palvoric_module name)
    cmake_parse_arguments(M "" "" "DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC Qt6::Core ${M_DEPENDS})
    else()
        # A module whose first routines have not landed yet still links.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE Qt6::Core ${M_DEPENDS})
    endif()
endfunction()
