# Runs picgen into OUTPUT and compares each picture with the one in COMMITTED.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${PICGEN} ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "picgen failed: ${result}")
endif()
foreach(name disc play next pause background)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name}.png ${COMMITTED}/${name}.png
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(SEND_ERROR "${name}.png: picgen's output differs from the committed picture")
  endif()
endforeach()
