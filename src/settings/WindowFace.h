// The window's two faces. The classic face is the window as it has always been; the extended
// face adds what the classic one has no place for (the settings dialog's "General" tab, more
// jobs). The choice is stored, so `velmora --extended` or `--classic` holds for later starts.
#pragma once

#include <optional>
#include <string>
#include <vector>

class TIniFile;

enum class WindowFace { kClassic, kExtended };

// Anything but "extended" stored reads as classic.
WindowFace ReadWindowFace(const TIniFile& settings);
void WriteWindowFace(TIniFile& settings, WindowFace face);
// The face that --extended or --classic asks for (the last one given), taken out of `args`.
std::optional<WindowFace> TakeFaceOption(std::vector<std::string>& args);
