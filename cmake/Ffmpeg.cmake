# The decoding libraries, cross-built from Debian's source packages by
# tools/build-ffmpeg.sh into a cache outside the build folder (a first build
# takes a while; later configures of any clone on the machine find it at
# once). CORVINA_FFMPEG_DIR names an existing build instead.
set(CORVINA_FFMPEG_DIR "" CACHE PATH "a finished tools/build-ffmpeg.sh folder to use instead of the script's")
if(CORVINA_FFMPEG_DIR)
    set(ffmpeg_dir ${CORVINA_FFMPEG_DIR})
else()
    # Quick when the cache holds this configuration: the script only looks.
    message(STATUS "Decoding libraries for ${triple}: tools/build-ffmpeg.sh (cached after the first build)")
    execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/tools/build-ffmpeg.sh ${triple}
        OUTPUT_VARIABLE ffmpeg_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE ffmpeg_result)
    if(NOT ffmpeg_result EQUAL 0)
        message(FATAL_ERROR "tools/build-ffmpeg.sh ${triple} failed")
    endif()
endif()
if(NOT EXISTS ${ffmpeg_dir}/.done OR NOT ffmpeg_dir MATCHES "${triple}$")
    message(FATAL_ERROR "not a finished ${triple} build of the decoding libraries: ${ffmpeg_dir}")
endif()
message(STATUS "Decoding libraries: ${ffmpeg_dir}")
# Configuring again when the script (and so the configuration) changes.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/build-ffmpeg.sh)

set(CORVINA_FFMPEG_BUILD ${ffmpeg_dir})
# The DLLs the engine loads, in load order, and what travels with them.
set(CORVINA_FFMPEG_DLLS avutil-57.dll swresample-4.dll swscale-6.dll avcodec-59.dll avformat-59.dll)
set(CORVINA_FFMPEG_NOTICES COPYING.LGPLv2.1 dav1d-COPYING VERSION.txt)

add_library(ffmpeg_headers INTERFACE)
target_include_directories(ffmpeg_headers SYSTEM INTERFACE ${ffmpeg_dir}/include)

# Beside every program in bin/: the engine looks for them in its own folder.
set(ffmpeg_copies)
foreach(dll ${CORVINA_FFMPEG_DLLS})
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/${dll}
        COMMAND ${CMAKE_COMMAND} -E copy ${ffmpeg_dir}/bin/${dll} ${CMAKE_BINARY_DIR}/bin/${dll}
        DEPENDS ${ffmpeg_dir}/bin/${dll})
    list(APPEND ffmpeg_copies ${CMAKE_BINARY_DIR}/bin/${dll})
endforeach()
add_custom_target(ffmpeg_dlls ALL DEPENDS ${ffmpeg_copies})
