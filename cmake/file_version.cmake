# The version resource's four numbers for a product version as the template
# database gives it ("0.9b0", "0.10"). Setup orders versions by their text
# (common/version.h), winget orders a PackageVersion part by part as numbers:
# these four keep both orders the same.
#   major.minor.patch.stage, the stage 1000 + n for "a<n>", 2000 + n for
#   "b<n>", 3000 + n for "rc<n>" and 4000 for the release itself:
#   0.9b9 -> 0.9.0.2009, 0.9b10 -> 0.9.0.2010, 0.9 -> 0.9.0.4000.
# As a script it prints them:
#   cmake -DCV_VERSION_TEXT=0.9b10 -P cmake/file_version.cmake
function(cv_file_version text out)
  set(kinds a b rc)
  set(number "(0|[1-9][0-9]*)")
  if(NOT text MATCHES "^${number}(\\.${number})?(\\.${number})?((a|b|rc)([0-9]*))?$")
    message(FATAL_ERROR "version \"${text}\" is not major[.minor[.patch]][a|b|rc<n>]")
  endif()
  # Quoted: an empty match would unset the variable.
  set(major "${CMAKE_MATCH_1}")
  set(minor "${CMAKE_MATCH_3}")
  set(patch "${CMAKE_MATCH_5}")
  set(tag "${CMAKE_MATCH_6}")
  set(letters "${CMAKE_MATCH_7}")
  set(n "${CMAKE_MATCH_8}")
  foreach(part minor patch n)
    if("${${part}}" STREQUAL "")
      set(${part} 0)
    endif()
  endforeach()
  set(stage 4000)
  if(NOT tag STREQUAL "")
    if(n GREATER 999)
      message(FATAL_ERROR "version \"${text}\": a pre-release number above 999")
    endif()
    list(FIND kinds "${letters}" kind)
    math(EXPR stage "(${kind} + 1) * 1000 + ${n}")
  endif()
  foreach(part ${major} ${minor} ${patch})
    if(part GREATER 65535)
      message(FATAL_ERROR "version \"${text}\": a part above 65535")
    endif()
  endforeach()
  set(${out} "${major}.${minor}.${patch}.${stage}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED CV_VERSION_TEXT)
  cv_file_version("${CV_VERSION_TEXT}" parts)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${parts}")
endif()
