# corvina_delay_import(NAME DLL): a target `delayed_NAME` to link instead of
# NAME, whose functions load DLL on their first call rather than at process
# start. For libraries that only some paths need, so that a start does not
# pay for loading them (and what they load in turn).
function(corvina_delay_import name dll)
    set(out ${CMAKE_BINARY_DIR}/delay/lib${name}_delay.a)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
        COMMAND bash ${CMAKE_SOURCE_DIR}/tools/make-delay-lib.sh ${triple} ${name} ${dll} ${out}
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-delay-lib.sh
        COMMENT "Making the delay-load import library of ${dll}")
    add_custom_target(make_delayed_${name} DEPENDS ${out})
    add_library(delayed_${name} INTERFACE)
    add_dependencies(delayed_${name} make_delayed_${name})
    target_link_libraries(delayed_${name} INTERFACE ${out})
endfunction()

# WinINet only for network addresses (it brings in the shell library and
# Winsock with it); wave-out only once a movie is opened.
corvina_delay_import(wininet WININET.dll)
corvina_delay_import(winmm WINMM.dll)
