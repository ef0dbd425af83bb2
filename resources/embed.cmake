# SPDX-License-Identifier: GPL-3.0-or-later
# Writes OUTPUT: each resource file of SOURCE_DIR as a byte array behind the
# functions that resources/embedded.h declares.
function(embed_array var file)
  file(READ ${SOURCE_DIR}/${file} hex HEX)
  string(LENGTH "${hex}" digits)
  if(digits EQUAL 0)
    message(FATAL_ERROR "embed: ${file} is empty")
  endif()
  # 16 bytes a line keeps the generated file readable in a debugger.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
  set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

embed_array(splash splash.jpg)
embed_array(icon about_icon.png)
embed_array(usage usage.txt)

file(WRITE ${OUTPUT} "// Generated from resources/ by resources/embed.cmake; do not edit.
#include \"resources/embedded.h\"

namespace clipquill::resources {
namespace {
const unsigned char kSplash[] = {
    ${splash}};
const unsigned char kIcon[] = {
    ${icon}};
const unsigned char kUsage[] = {
    ${usage}};
}  // namespace

std::span<const unsigned char> splashJpeg() {
  return kSplash;
}
std::span<const unsigned char> aboutIconPng() {
  return kIcon;
}
std::string_view usageText() {
  return {reinterpret_cast<const char*>(kUsage), sizeof kUsage};
}
}  // namespace clipquill::resources
")
