# vemtaro_library(<target> [QT <components>...] [DEPENDS <targets>...])
# One static library per subsystem folder, made of every .cpp and .qrc in that folder.
function(vemtaro_library target)
    cmake_parse_arguments(ARG "" "" "QT;DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    foreach(component IN LISTS ARG_QT)
        target_link_libraries(${target} PUBLIC Qt6::${component})
    endforeach()
    target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
endfunction()

# vemtaro_tests(<folder library> [DEPENDS <targets>...] [HELPERS <sources>...])
# Each tst_<name>.cpp in the calling folder becomes the Qt Test program and CTest test
# <folder>_<name>, linked with the folder's library. Shared test helpers (*.cpp not named
# tst_*) are compiled into every test of the folder, and so are the HELPERS of other folders.
function(vemtaro_tests library)
    cmake_parse_arguments(ARG "" "" "DEPENDS;HELPERS" ${ARGN})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    list(FILTER helpers EXCLUDE REGEX "/tst_[^/]*\\.cpp$")
    list(APPEND helpers ${ARG_HELPERS})
    foreach(test_source IN LISTS tests)
        get_filename_component(name ${test_source} NAME_WE)
        string(REGEX REPLACE "^tst_" "" name ${name})
        set(target ${folder}_${name})
        add_executable(${target} ${test_source} ${helpers})
        target_link_libraries(${target} PRIVATE ${library} ${ARG_DEPENDS} Qt6::Test)
        add_test(NAME ${target} COMMAND ${target})
        set_tests_properties(${target} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endforeach()
endfunction()
