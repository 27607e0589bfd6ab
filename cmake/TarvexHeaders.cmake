# Each library under src/ exposes only its public headers. The headers are linked into a folder of
# the build tree per library: "public" holds what the library's users may include, "all" adds the
# private headers that only the library's own sources and its own tests see. No target has src/
# itself on its include path, so an include of a private header of another folder, or of a folder
# that is not linked (one above), finds no file and the build stops.

# A header in a subfolder of the library's folder keeps that subfolder.
function(tarvex_stage_header header into)
    get_filename_component(subfolder ${header} DIRECTORY)
    get_filename_component(name ${header} NAME)
    file(MAKE_DIRECTORY ${into}/${subfolder})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${into}/${subfolder}/${name} SYMBOLIC)
endfunction()

# tarvex_headers(target PUBLIC header... [PRIVATE header...])
function(tarvex_headers target)
    cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    set(stage ${CMAKE_BINARY_DIR}/include/${target})
    file(REMOVE_RECURSE ${stage})
    foreach(header IN LISTS ARG_PUBLIC)
        tarvex_stage_header(${header} ${stage}/public/${folder})
        tarvex_stage_header(${header} ${stage}/all/${folder})
    endforeach()
    foreach(header IN LISTS ARG_PRIVATE)
        tarvex_stage_header(${header} ${stage}/all/${folder})
    endforeach()
    target_include_directories(${target} PUBLIC ${stage}/public PRIVATE ${stage}/all)
    set_property(TARGET ${target} PROPERTY TARVEX_PRIVATE_HEADERS ${stage}/all)
endfunction()

# Lets the tests of a library's folder include its private headers too.
function(tarvex_test_private_headers test library)
    target_include_directories(${test} PRIVATE $<TARGET_PROPERTY:${library},TARVEX_PRIVATE_HEADERS>)
endfunction()
