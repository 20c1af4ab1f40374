# Lays out the program folder beside the executable. Run after every build of tallyra:
# existing files of the clerk (database, log, settings) are never overwritten.
#   -DPROGRAM_DIR=<folder> -DRESOURCES=<source resources folder>
foreach(sub db log template 报表)
  file(MAKE_DIRECTORY "${PROGRAM_DIR}/${sub}")
endforeach()

set(db "${PROGRAM_DIR}/db/Corvane.db")
if(NOT EXISTS "${db}")
  find_program(SQLITE3 sqlite3 REQUIRED)
  set(tmp "${PROGRAM_DIR}/db/Corvane.db.new")
  file(REMOVE "${tmp}")
  execute_process(COMMAND "${SQLITE3}" "${tmp}" INPUT_FILE "${RESOURCES}/schema.sql"
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    file(REMOVE "${tmp}")
    message(FATAL_ERROR "creating ${db} failed: ${err}")
  endif()
  file(CHMOD "${tmp}" PERMISSIONS OWNER_READ OWNER_WRITE)
  file(RENAME "${tmp}" "${db}")
  # A new database takes the default print template at its first start.
  if(EXISTS "${RESOURCES}/PrintTemplate.xml")
    file(COPY "${RESOURCES}/PrintTemplate.xml" DESTINATION "${PROGRAM_DIR}")
  endif()
  message(STATUS "Created ${db}")
endif()

# Program files that come with every build.
foreach(f Corvane.html)
  if(EXISTS "${RESOURCES}/${f}")
    file(COPY "${RESOURCES}/${f}" DESTINATION "${PROGRAM_DIR}")
  endif()
endforeach()
if(EXISTS "${RESOURCES}/template")
  file(COPY "${RESOURCES}/template/" DESTINATION "${PROGRAM_DIR}/template")
endif()
