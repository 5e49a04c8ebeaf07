# The release, from the latest entry of packaging/changelog, as Debian takes
# it from debian/changelog: its version, which project() takes, and its date,
# from which every timestamp in every package and program comes (unless the
# environment sets SOURCE_DATE_EPOCH), so that the same source gives the
# same bytes, with or without git, whenever it is built.
#   PQL_RELEASE_VERSION  1.0.0
#   PQL_RELEASE_EPOCH    seconds since 1970, UTC
#   PQL_RELEASE_MONTH    "December 2026", for the manual pages
set(changelog ${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} heading LIMIT_COUNT 1)
if(NOT heading MATCHES "^pathquill \\(([0-9]+\\.[0-9]+\\.[0-9]+)\\) ")
  message(FATAL_ERROR "The first line of ${changelog} names no release: ${heading}")
endif()
set(PQL_RELEASE_VERSION ${CMAKE_MATCH_1})

file(STRINGS ${changelog} trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT trailer MATCHES "^ -- [^<]*<[^>]*>  (.+)$")
  message(FATAL_ERROR "The latest entry of ${changelog} has no signed date: ${trailer}")
endif()
set(released "${CMAKE_MATCH_1}")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(PQL_RELEASE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND date -u -d "${released}" +%s OUTPUT_VARIABLE PQL_RELEASE_EPOCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "The date of the latest entry of ${changelog} is not one: ${released}")
  endif()
endif()
if(NOT PQL_RELEASE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is no number of seconds: ${PQL_RELEASE_EPOCH}")
endif()

# string(TIMESTAMP) takes its time from SOURCE_DATE_EPOCH.
set(outer "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${PQL_RELEASE_EPOCH})
string(TIMESTAMP PQL_RELEASE_MONTH "%B %Y" UTC)
if(outer STREQUAL "")
  unset(ENV{SOURCE_DATE_EPOCH})
else()
  set(ENV{SOURCE_DATE_EPOCH} "${outer}")
endif()
unset(changelog)
unset(heading)
unset(trailer)
unset(released)
unset(outer)
# Kept where the release scripts read it.
set(PQL_RELEASE_EPOCH ${PQL_RELEASE_EPOCH} CACHE INTERNAL "The release date, seconds since 1970")
