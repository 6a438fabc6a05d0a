# The versions of Zan and of tavel.dll come from the VERSION file alone: this makes
# version.h from it for the code and the resource scripts; the shell scripts read the file.
get_filename_component(zan_version_file ${CMAKE_CURRENT_LIST_DIR}/../VERSION ABSOLUTE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${zan_version_file})
file(STRINGS ${zan_version_file} zan_version_line REGEX "^ZAN ")
file(STRINGS ${zan_version_file} tavel_version_line REGEX "^TAVEL ")
string(REGEX REPLACE "^ZAN +" "" ZAN_VERSION "${zan_version_line}")
string(REGEX REPLACE "^TAVEL +" "" TAVEL_VERSION_STRING "${tavel_version_line}")
if(NOT ZAN_VERSION MATCHES "^[0-9]+\\.[0-9]+$" OR NOT TAVEL_VERSION_STRING MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "VERSION must hold 'ZAN major.minor' and 'TAVEL major.minor.revision'")
endif()

# "0.03.01" -> numbers without leading zeros.
function(zan_version_numbers text out)
  string(REPLACE "." ";" parts "${text}")
  set(numbers "")
  foreach(part ${parts})
    math(EXPR number "${part}")
    list(APPEND numbers ${number})
  endforeach()
  set(${out} ${numbers} PARENT_SCOPE)
endfunction()

zan_version_numbers(${ZAN_VERSION} zan_numbers)
list(GET zan_numbers 0 zan_major)
list(GET zan_numbers 1 zan_minor)
set(ZAN_VERSION_FIELDS "${zan_major},${zan_minor},0,0")

zan_version_numbers(${TAVEL_VERSION_STRING} tavel_numbers)
list(GET tavel_numbers 0 tavel_major)
list(GET tavel_numbers 1 tavel_minor)
list(GET tavel_numbers 2 tavel_revision)
set(TAVEL_VERSION_FIELDS "${tavel_major},${tavel_minor},${tavel_revision},0")
math(EXPR TAVEL_VERSION_WORD "(${tavel_major} << 8) | (${tavel_minor} << 16) | (${tavel_revision} << 24)"
     OUTPUT_FORMAT HEXADECIMAL)

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
# Every target, resource scripts included, finds version.h.
include_directories(${CMAKE_BINARY_DIR}/generated)
