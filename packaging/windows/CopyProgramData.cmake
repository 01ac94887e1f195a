# cmake -DDATA=<SKR20> -DDESTINATION=<folder> -P CopyProgramData.cmake
#
# Copies the data folder's picture and map folders to DESTINATION/SKR20. Only
# those: a data folder that a program has run from also holds PALAM
# (settings, weather) and perhaps WORLDTEMP (downloaded pages), which are no
# one else's business.
foreach(variable DATA DESTINATION)
  if(NOT ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

set(folders earth moon BACK WEATHER maps)
foreach(folder IN LISTS folders)
  file(GLOB pictures LIST_DIRECTORIES false "${DATA}/${folder}/*")
  if(NOT pictures)
    message(FATAL_ERROR "${DATA}/${folder} holds no pictures: build the Linux target skyroll_data "
                        "(cmake --preset release && cmake --build --preset release --target skyroll_data) "
                        "or set SKYROLL_WINDOWS_DATA")
  endif()
  file(MAKE_DIRECTORY "${DESTINATION}/SKR20/${folder}")
  file(COPY ${pictures} DESTINATION "${DESTINATION}/SKR20/${folder}")
endforeach()
