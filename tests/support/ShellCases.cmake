# fiverow_add_shell_cases(SUITE SCRIPT LIST <args> RUN <args> [SOURCES <files>]
#                         [ENVIRONMENT <VAR=value>...] [PROPERTIES <test properties>])
# One test SUITE.CASE for each case that `bash SCRIPT --list <LIST args>`
# names, running `bash SCRIPT --case CASE <RUN args>`. The list is read when
# CMake configures, again whenever SCRIPT or one of SOURCES changes.
function(fiverow_add_shell_cases suite script)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "LIST;RUN;SOURCES;ENVIRONMENT;PROPERTIES")
  execute_process(COMMAND bash ${script} --list ${arg_LIST}
                  OUTPUT_VARIABLE listed RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR listed STREQUAL "")
    message(FATAL_ERROR "${script} --list ${arg_LIST} gave no cases")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script} ${arg_SOURCES})
  string(REGEX MATCHALL "[^\n]+" cases "${listed}")
  foreach(case IN LISTS cases)
    add_test(NAME ${suite}.${case} COMMAND bash ${script} --case ${case} ${arg_RUN})
    set_tests_properties(${suite}.${case} PROPERTIES SKIP_RETURN_CODE 77)
    if(arg_ENVIRONMENT)
      set_tests_properties(${suite}.${case} PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
    endif()
    if(arg_PROPERTIES)
      set_tests_properties(${suite}.${case} PROPERTIES ${arg_PROPERTIES})
    endif()
  endforeach()
endfunction()
