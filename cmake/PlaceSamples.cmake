# cmake -DSAMPLES=<folder> -DDESTINATION=<folder> -P PlaceSamples.cmake
# Copies prog.cfg and settings.cfg from SAMPLES into DESTINATION unless a file of that name is
# already there (the user's own settings are never replaced), and creates DESTINATION/logs.
file(MAKE_DIRECTORY "${DESTINATION}/logs")
foreach(name prog.cfg settings.cfg)
  if(NOT EXISTS "${DESTINATION}/${name}")
    file(COPY_FILE "${SAMPLES}/${name}" "${DESTINATION}/${name}")
  endif()
endforeach()
