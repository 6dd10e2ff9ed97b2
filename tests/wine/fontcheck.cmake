# fontcheck.exe asks GDI whether a font is one that the console will offer (see fontcheck.cpp);
# the console font repair's scenario runs it after the program installed "Lucida Console CS".
add_executable(fontcheck ${CMAKE_CURRENT_LIST_DIR}/fontcheck.cpp)
target_link_libraries(fontcheck PRIVATE gdi32)

# Wine sees the host's files on drive Z:.
function(sanivo_wine_path variable host_path)
  string(REPLACE "/" "\\" windows_path "Z:${host_path}")
  set(${variable} ${windows_path} PARENT_SCOPE)
endfunction()

# The font the build derives passes every check; a proportional font does not.
sanivo_wine_path(console_font ${CMAKE_BINARY_DIR}/mrk_lccs.ttf)
sanivo_wine_test(console_font.gdi_offers_it_to_the_console LABELS font
                 COMMAND run -- $<TARGET_FILE:fontcheck> --add ${console_font})
cmake_path(GET SANIVO_FONT_SOURCE PARENT_PATH dejavu_directory)
sanivo_wine_path(proportional_font ${dejavu_directory}/DejaVuSans.ttf)
sanivo_wine_test(console_font.gdi_check_sees_proportional_font LABELS font
                 COMMAND run -- $<TARGET_FILE:fontcheck> --add ${proportional_font} "DejaVu Sans")
set_tests_properties(console_font.gdi_check_sees_proportional_font PROPERTIES
                     PASS_REGULAR_EXPRESSION "FAIL it has fixed pitch")
