# Puts the shipped report templates into the program folder's "Ses". A template that is
# already there stays as it is: the user may have changed it.
file(GLOB sablony "${ZDROJ}/*.ksr")
file(MAKE_DIRECTORY "${CIL}")
foreach(sablona IN LISTS sablony)
  get_filename_component(jmeno "${sablona}" NAME)
  if(NOT EXISTS "${CIL}/${jmeno}")
    file(COPY "${sablona}" DESTINATION "${CIL}")
  endif()
endforeach()
