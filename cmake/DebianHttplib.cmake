# cpp-httplib's header-only httplib.h for a cross build: Debian's packaged
# header is only the declarations of its shared library, so the build takes
# the same release from Debian's source package (upstream's tarball and
# Debian's patches, pinned by SHA-256), applies the patches in series order,
# and defines the interface target fiverow_httplib with the result and ws2_32.
set(debian_pool http://deb.debian.org/debian/pool/main/c/cpp-httplib)
set(httplib_orig cpp-httplib_0.11.4+ds.orig.tar.xz)
set(httplib_orig_sha256 8b1a5df569003b6a4f24c68489bbda5c64aec94697bdc9ebba5d79408b2ae7eb)
set(httplib_debian cpp-httplib_0.11.4+ds-1+deb12u1.debian.tar.xz)
set(httplib_debian_sha256 a0adf8a38610806f6d94ba69839438635e5e6580775e28ff31d6a081e34f1484)

set(httplib_root ${PROJECT_BINARY_DIR}/_deps/cpp-httplib)
set(httplib_source ${httplib_root}/source)
set(httplib_stamp ${httplib_source}/.fiverow-patched-${httplib_debian_sha256})

if(NOT EXISTS ${httplib_stamp})
  foreach(part orig debian)
    if(NOT EXISTS ${httplib_root}/${httplib_${part}})
      message(STATUS "Downloading ${httplib_${part}} from Debian")
    endif()
    file(DOWNLOAD ${debian_pool}/${httplib_${part}} ${httplib_root}/${httplib_${part}}
         EXPECTED_HASH SHA256=${httplib_${part}_sha256} STATUS downloaded)
    list(GET downloaded 0 code)
    if(NOT code EQUAL 0)
      message(FATAL_ERROR "cannot download ${debian_pool}/${httplib_${part}}: ${downloaded}")
    endif()
  endforeach()
  file(REMOVE_RECURSE ${httplib_source} ${httplib_root}/unpacked)
  file(ARCHIVE_EXTRACT INPUT ${httplib_root}/${httplib_orig} DESTINATION ${httplib_root}/unpacked)
  file(GLOB httplib_top LIST_DIRECTORIES true ${httplib_root}/unpacked/*)
  file(RENAME ${httplib_top} ${httplib_source})
  file(ARCHIVE_EXTRACT INPUT ${httplib_root}/${httplib_debian} DESTINATION ${httplib_source})
  find_program(FIVEROW_PATCH patch REQUIRED)
  file(STRINGS ${httplib_source}/debian/patches/series httplib_patches REGEX "^[^#]")
  foreach(patch IN LISTS httplib_patches)
    string(STRIP "${patch}" patch)
    execute_process(COMMAND ${FIVEROW_PATCH} -p1 --batch --quiet
                            -i ${httplib_source}/debian/patches/${patch}
                    WORKING_DIRECTORY ${httplib_source} RESULT_VARIABLE patched)
    if(NOT patched EQUAL 0)
      message(FATAL_ERROR "Debian's patch ${patch} does not apply to cpp-httplib")
    endif()
  endforeach()
  file(TOUCH ${httplib_stamp})
endif()

add_library(fiverow_httplib INTERFACE)
# Before the build machine's own headers (its declarations-only httplib.h).
target_include_directories(fiverow_httplib SYSTEM BEFORE INTERFACE ${httplib_source})
target_link_libraries(fiverow_httplib INTERFACE ws2_32)
