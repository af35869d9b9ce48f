# Writes one file of the package at build time (cmake -P):
#   -DPROGRAM=exe -DARGS=a;b   its output, or
#   -DHELP_OF=exe -DTITLE=text -DINTRO=text  a manual page made of its --help text, or
#   -DSOURCE=file              a copy of the file,
# into OUTPUT, compressed as Debian wants manual pages (gzip -9n) with -DGZIP=ON.
set(tmp "${OUTPUT}.tmp")
if(PROGRAM)
  execute_process(COMMAND "${PROGRAM}" ${ARGS} OUTPUT_FILE "${tmp}" RESULT_VARIABLE rc)
elseif(HELP_OF)
  execute_process(COMMAND "${HELP_OF}" --help OUTPUT_VARIABLE help ERROR_VARIABLE help RESULT_VARIABLE rc)
  get_filename_component(name "${HELP_OF}" NAME)
  string(TOUPPER "${name}" upper)
  foreach(text help INTRO)
    string(REPLACE "\\" "\\e" ${text} "${${text}}")
    string(REPLACE "-" "\\-" ${text} "${${text}}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" ${text} "${${text}}")
  endforeach()
  file(WRITE "${tmp}" ".TH ${upper} 1 \"\" \"VR60 Utility\" \"User Commands\"\n"
                      ".SH NAME\n${name} \\- ${TITLE}\n"
                      ".SH DESCRIPTION\n${INTRO}\n.PP\nThe options, as \\fB${name} \\-\\-help\\fR prints them:\n"
                      ".PP\n.nf\n${help}.fi\n"
                      ".SH SEE ALSO\n\\fBvr60ctl\\fR(1), \\fBvr60util\\fR(1)\n")
else()
  configure_file("${SOURCE}" "${tmp}" COPYONLY)
  set(rc 0)
endif()
if(NOT rc EQUAL 0)
  file(REMOVE "${tmp}")
  message(FATAL_ERROR "${PROGRAM}${HELP_OF} failed (${rc}) making ${OUTPUT}")
endif()
if(GZIP)
  execute_process(COMMAND gzip -9nf "${tmp}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip failed making ${OUTPUT}")
  endif()
  file(RENAME "${tmp}.gz" "${OUTPUT}")
else()
  file(RENAME "${tmp}" "${OUTPUT}")
endif()
