# Gives one build variant's kernel objects private names for everything they
# define with vague linkage: the inline functions, template instantiations,
# inline variables, vtables and type information that every compilation
# emits as weak symbols of the same name, and of which the linker would keep
# a single copy for the whole program. Each such symbol NAME becomes
# NAME.suffix, the suffix in lower case (a demangler shows it as
# "[clone .suffix]" only when it starts with a lower-case letter), in all of the
# variant's objects, so the variant's kernels call their own copies and
# nothing else in the program can reach them.
#
# The COMDAT groups that hold them are renamed with them: the linker keeps one
# group of each name, and a variant's group given up for another variant's
# would leave its renamed symbols pointing nowhere.
#
# Run with -DNM= -DREADELF= -DOBJCOPY= -DSUFFIX= -DINPUTS=a.o;b.o -DOUTPUT_DIR=;
# each input X.cpp.o is written to OUTPUT_DIR/X.SUFFIX.o.
set(names)
foreach(object IN LISTS INPUTS)
  execute_process(COMMAND ${NM} --defined-only --format=posix ${object}
    OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    # posix format: NAME TYPE VALUE SIZE; W and V are weak, u is GNU unique.
    if(line MATCHES "^([^ ]+) [WVu] ")
      list(APPEND names "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  execute_process(COMMAND ${READELF} --section-groups --wide ${object}
    OUTPUT_VARIABLE groups RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${READELF} failed on ${object}")
  endif()
  # COMDAT group section [    1] `.group' [SIGNATURE] contains 1 sections:
  string(REGEX MATCHALL "`\\.group' \\[[^]]+\\]" signatures "${groups}")
  foreach(signature IN LISTS signatures)
    string(REGEX REPLACE "^`\\.group' \\[(.+)\\]$" "\\1" signature "${signature}")
    list(APPEND names "${signature}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES names)
string(TOLOWER "${SUFFIX}" clone)
set(renames "")
foreach(name IN LISTS names)
  string(APPEND renames "${name} ${name}.${clone}\n")
endforeach()
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
file(WRITE "${OUTPUT_DIR}/renames.txt" "${renames}")
foreach(object IN LISTS INPUTS)
  get_filename_component(source "${object}" NAME_WLE)
  get_filename_component(source "${source}" NAME_WLE)
  execute_process(COMMAND ${OBJCOPY} --redefine-syms=${OUTPUT_DIR}/renames.txt ${object}
                          ${OUTPUT_DIR}/${source}.${SUFFIX}.o RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJCOPY} failed on ${object}")
  endif()
endforeach()
