# Writes the program's build stamp source (cmake -DOUTPUT=<file> -P build_stamp.cmake): this
# moment as the compiler writes its __DATE__ and __TIME__ texts ("Sep  7 2022", "13:37:04"),
# which ui::parseBuildStamp reads. The build runs it whenever a source of the program changes.
if(NOT OUTPUT)
    message(FATAL_ERROR "build_stamp.cmake: OUTPUT is not set")
endif()
# One reading of the clock, so date and time belong to the same second.
string(TIMESTAMP now "%Y %m %d %H:%M:%S")
string(REGEX MATCH "^([0-9]+) ([0-9]+) ([0-9]+) (.+)$" parts "${now}")
set(year ${CMAKE_MATCH_1})
math(EXPR month "${CMAKE_MATCH_2}")
math(EXPR day "${CMAKE_MATCH_3}")
set(clock ${CMAKE_MATCH_4})
set(names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
math(EXPR index "${month} - 1")
list(GET names ${index} name)
if(day LESS 10)
    set(day " ${day}")
endif()
set(text "// Written by scripts/build_stamp.cmake at build time.
#include \"ui/build_texts.h\"

namespace ui {
const char *compiledBuildDate()
{
    return \"${name} ${day} ${year}\";
}
const char *compiledBuildTime()
{
    return \"${clock}\";
}
} // namespace ui
")
file(WRITE "${OUTPUT}" "${text}")
