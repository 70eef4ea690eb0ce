// The channel tag travels in the installer's own file name: install_zozavi00.exe carries
// "install_zozavi00", which later names the downloaded product installer.
#pragma once

#include <string>

// `utf8ModulePath` is the executable's full path in UTF-8. The tag is the part after the last
// backslash without its last four bytes (the ".exe"); empty when there is no backslash.
std::string ChannelTagFromModulePath(const std::string& utf8ModulePath);
