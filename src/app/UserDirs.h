// The user's special folders as xdg-user-dirs records them in user-dirs.dirs: shell
// assignments such as XDG_MUSIC_DIR="$HOME/Musik", written in the desktop's language.
#pragma once

#include <optional>
#include <string>

// $XDG_CONFIG_HOME/user-dirs.dirs (an absolute $XDG_CONFIG_HOME only), else
// ~/.config/user-dirs.dirs.
std::string UserDirsFilePath();

// The folder that `text` (the file's content) assigns to `name` ("XDG_MUSIC_DIR"), with $HOME
// put in; the last assignment counts, as when the shell reads the file. Nothing when the name
// is not assigned, when the value is neither "$HOME/…" nor an absolute path (the only two
// forms the file may hold), or when it is the home folder itself, which the file uses to
// say that the folder is not in use.
std::optional<std::string> UserDirFromText(const std::string& text, const std::string& name,
                                           const std::string& home);
