// The options of silent mode and their help texts. The map's order (by UTF-16 code units) is the order
// of the help text.
#pragma once

#include <map>
#include <string>

inline const std::map<std::wstring, const char*> commandLineOptions = {
    {L"start", "Allows the tool to run silently (no GUI)"},
    {L"-scan-path", "Specifies the path containing encrypted files"},
    {L"-test-path", "Specifies a folder containing pairs of clean-encrypted files"},
    {L"-full-scan", "Enables the Scan entire system option (ignoring -scan-path argument)"},
    {L"-disable-backup", "Disables the file Backup option"},
    {L"-replace-existing", "Enables the \"Replace previously decrypted files\" option"},
};

inline constexpr const wchar_t* kHelpOption = L"-help";
