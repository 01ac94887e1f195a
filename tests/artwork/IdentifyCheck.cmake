# Reads every generated picture with ImageMagick's identify, a decoder of its
# own, and checks its format, size, transparency and kind of colour.
#   cmake -DIDENTIFY=... -DDATA_DIR=.../SKR20 -DASSETS_DIR=... -P IdentifyCheck.cmake

set(checks)
foreach(n RANGE 1 44)
  list(APPEND checks "${DATA_DIR}/earth/EarthMap_${n}.bmp=BMP3 180 183 False DirectClass")
endforeach()
foreach(n RANGE 1 23)
  list(APPEND checks "${DATA_DIR}/moon/MoonMap_${n}.bmp=BMP3 112 110 False DirectClass")
endforeach()
foreach(name SUN SUN_RAIN RAIN CLOUDY SNOW UNKNOWN)
  list(APPEND checks "${DATA_DIR}/WEATHER/${name}.gif=GIF 30 30 True PseudoClass")
endforeach()
list(APPEND checks
  "${DATA_DIR}/BACK/宇宙.bmp=BMP3 1920 1080 False DirectClass"
  "${ASSETS_DIR}/starfield.jpg=JPEG 668 495 False DirectClass"
  "${ASSETS_DIR}/globe.ico=ICO 32 32 True DirectClass"
  "${ASSETS_DIR}/globe_creation.bmp=BMP3 180 183 False DirectClass"
  "${ASSETS_DIR}/sun.gif=GIF 30 30 True PseudoClass"
  "${ASSETS_DIR}/palette_starfield.bmp=BMP3 640 480 False PseudoClass"
  "${ASSETS_DIR}/moon_full.bmp=BMP3 112 110 False DirectClass")
# Twice the size for dense screens.
foreach(n RANGE 1 44)
  list(APPEND checks "${DATA_DIR}/earth/EarthMap_${n}@2x.bmp=BMP3 360 366 False DirectClass")
endforeach()
foreach(n RANGE 1 23)
  list(APPEND checks "${DATA_DIR}/moon/MoonMap_${n}@2x.bmp=BMP3 224 220 False DirectClass")
endforeach()
foreach(name SUN SUN_RAIN RAIN CLOUDY SNOW UNKNOWN)
  list(APPEND checks "${DATA_DIR}/WEATHER/${name}@2x.gif=GIF 60 60 True PseudoClass")
endforeach()
list(APPEND checks
  "${ASSETS_DIR}/starfield@2x.jpg=JPEG 1336 990 False DirectClass"
  "${ASSETS_DIR}/globe@2x.ico=ICO 64 64 True DirectClass"
  "${ASSETS_DIR}/globe_creation@2x.bmp=BMP3 360 366 False DirectClass"
  "${ASSETS_DIR}/sun@2x.gif=GIF 60 60 True PseudoClass"
  "${ASSETS_DIR}/moon_full@2x.bmp=BMP3 224 220 False DirectClass")

set(failures 0)
foreach(check IN LISTS checks)
  string(FIND "${check}" "=" at REVERSE)
  string(SUBSTRING "${check}" 0 ${at} file)
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${check}" ${at} -1 expected)
  execute_process(COMMAND ${IDENTIFY} -format "%m %w %h %A %r" "${file}"
                  OUTPUT_VARIABLE seen ERROR_VARIABLE problem RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT seen MATCHES "^${expected}")
    message(SEND_ERROR "${file}: expected '${expected}', identify says '${seen}' ${problem}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
list(LENGTH checks total)
message(STATUS "identify read ${total} pictures, ${failures} not as expected")
