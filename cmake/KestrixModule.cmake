# A plug-in module: <name>.8bf with the framework, the effect, its resources and the
# PiPL generated from the one table in framework/host/pipl.cpp.

# The PiPL generator runs at build time, so it is built with the machine's own compiler.
find_program(KX_HOST_CXX NAMES g++ c++ REQUIRED)
set(KX_PIPL_GEN ${CMAKE_BINARY_DIR}/pipl_gen)
set(KX_PIPL_GEN_SOURCES
    ${PROJECT_SOURCE_DIR}/tools/pipl_gen/pipl_gen.cpp
    ${PROJECT_SOURCE_DIR}/framework/host/pipl.cpp)
add_custom_command(
    OUTPUT ${KX_PIPL_GEN}
    COMMAND ${KX_HOST_CXX} -std=c++17 -O1 -I${PROJECT_SOURCE_DIR} ${KX_PIPL_GEN_SOURCES} -o ${KX_PIPL_GEN}
    DEPENDS ${KX_PIPL_GEN_SOURCES} ${PROJECT_SOURCE_DIR}/framework/host/pipl.h
    COMMENT "Building the PiPL generator")
add_custom_target(kx_pipl_gen DEPENDS ${KX_PIPL_GEN})

# The PiPL names the entry under the property of the module's own width.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KX_PIPL_ARCH x64)
else()
    set(KX_PIPL_ARCH x86)
endif()

function(add_kestrix_module name)
    cmake_parse_arguments(M "" "RESOURCES;DEF" "SOURCES;OBJECTS" ${ARGN})
    # The exports: ENTRYPOINT, or the module's own list when it exports more.
    set(def ${PROJECT_SOURCE_DIR}/framework/host/entry.def)
    if(M_DEF)
        set(def ${M_DEF})
    endif()
    # A test module may borrow a deliverable's resources (and so its PiPL).
    set(res ${name})
    if(M_RESOURCES)
        set(res ${M_RESOURCES})
    endif()
    set(pipl_dir ${CMAKE_BINARY_DIR}/pipl/${name})
    set(pipl ${pipl_dir}/${res}.pipl)
    add_custom_command(
        OUTPUT ${pipl}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${pipl_dir}
        COMMAND ${KX_PIPL_GEN} ${res} ${pipl} ${KX_PIPL_ARCH}
        DEPENDS kx_pipl_gen ${KX_PIPL_GEN}
        COMMENT "Generating the PiPL of ${name} (${res})")
    set(rc ${PROJECT_SOURCE_DIR}/resources/${res}/${res}.rc)
    # windres writes no dependency file: list what the script includes by hand.
    file(GLOB rc_inputs CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/resources/${res}/*
        ${PROJECT_SOURCE_DIR}/resources/${res}/textures/*
        ${PROJECT_SOURCE_DIR}/resources/common/*.h
        ${PROJECT_SOURCE_DIR}/resources/common/*.rc
        ${PROJECT_SOURCE_DIR}/resources/common/art/*)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${pipl};${rc_inputs}")

    set(objects $<TARGET_OBJECTS:kx_core> $<TARGET_OBJECTS:kx_win>)
    foreach(lib IN LISTS M_OBJECTS)
        list(APPEND objects $<TARGET_OBJECTS:${lib}>)
    endforeach()
    add_library(${name} MODULE ${M_SOURCES} ${objects} ${rc} ${def})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${pipl_dir}
        ${PROJECT_SOURCE_DIR}/resources/${res} ${PROJECT_SOURCE_DIR}/resources/common)
    set_target_properties(${name} PROPERTIES
        PREFIX "" SUFFIX ".8bf"
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    # Everything the module needs is inside it: a host process has no mingw runtime.
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++
        -Wl,--gc-sections -s)
    target_link_libraries(${name} PRIVATE user32 gdi32 kernel32)
endfunction()
