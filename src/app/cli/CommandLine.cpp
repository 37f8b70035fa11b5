#include "app/cli/CommandLine.h"

#include <algorithm>
#include <cctype>

#include "app/RunSettings.h"

namespace {

std::optional<int> FormatIndexOf(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name == "mp3") return kFormatMp3;
  if (name == "wav") return kFormatWav;
  if (name == "wma") return kFormatWma;
  if (name == "ogg") return kFormatOgg;
  return std::nullopt;
}

// "--name=value" or "--name value"; false when the option is not `name`.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string& value, std::string& error) {
  const std::string& arg = args[i];
  if (arg.compare(0, name.size() + 1, name + "=") == 0) {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (arg != name) return false;
  if (i + 1 >= args.size()) {
    error = name + " needs a value";
    return true;
  }
  value = args[++i];
  return true;
}

// A whole decimal number from 1 to kMaxJobs, nothing else.
std::optional<int> JobCountOf(const std::string& text) {
  if (text.empty() || text.size() > 3 ||
      !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
    return std::nullopt;
  int count = std::stoi(text);
  if (count < 1 || count > kMaxJobs) return std::nullopt;
  return count;
}

// --tree, --flat, --name, --existing and --dry-run; false when the option is none of them.
bool ParseLibraryOption(const std::vector<std::string>& args, size_t& i, CommandLine& cl) {
  const std::string& arg = args[i];
  std::string value;
  if (arg == "--tree" || arg == "--flat") {
    cl.library.tree = arg == "--tree" ? TreeMode::kKeep : TreeMode::kFlat;
  } else if (arg == "--dry-run") {
    cl.dryRun = true;
  } else if (TakeValue(args, i, "--name", value, cl.error)) {
    cl.library.namePattern = value;
  } else if (TakeValue(args, i, "--existing", value, cl.error)) {
    std::optional<ExistingPolicy> policy = ExistingPolicyNamed(value);
    if (policy) cl.library.existing = *policy;
    else if (cl.error.empty()) cl.error = "--existing needs number, skip or update, not '" + value + "'";
  } else {
    return false;
  }
  return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  bool onlyFiles = false;
  for (size_t i = 0; i < args.size() && cl.error.empty(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
      cl.files.push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "--help" || arg == "-h") {
      cl.help = true;
    } else if (arg == "--version" || arg == "-V") {
      cl.version = true;
    } else if (arg == "--normalize") {
      cl.normalize = true;
    } else if (arg == "--list") {
      cl.listOnly = true;
    } else if (ParseLibraryOption(args, i, cl)) {
    } else if (TakeValue(args, i, "--format", value, cl.error)) {
      if (!cl.error.empty()) break;
      cl.formatIndex = FormatIndexOf(value);
      if (!cl.formatIndex) cl.error = "unknown format '" + value + "' (use mp3, wav, wma or ogg)";
    } else if (TakeValue(args, i, "--jobs", value, cl.error) ||
               TakeValue(args, i, "-j", value, cl.error)) {
      if (!cl.error.empty()) break;
      cl.jobs = JobCountOf(value);
      if (!cl.jobs)
        cl.error = "--jobs needs a number from 1 to " + std::to_string(kMaxJobs) + ", not '" +
                   value + "'";
    } else if (TakeValue(args, i, "--output", value, cl.error)) {
      if (!cl.error.empty()) break;
      if (value.empty()) cl.error = "--output needs a folder";
      cl.outputFolder = value;
    } else {
      cl.error = "unknown option " + arg;
    }
  }
  if (cl.error.empty() && !cl.help && !cl.version && cl.files.empty()) cl.error = "no files given";
  if (cl.error.empty() && cl.normalize && cl.formatIndex)
    cl.error = "--normalize keeps each file's own format; leave out --format";
  return cl;
}

std::string UsageText() {
  return "Usage: velmora-convert [--format mp3|wav|wma|ogg] [--output DIR] [--normalize]\n"
         "                       [--jobs N] [--tree|--flat] [--name PATTERN]\n"
         "                       [--existing number|skip|update] [--dry-run] FILE|FOLDER...\n"
         "\n"
         "Converts MP3, WAV, WMA and OGG files into one output format, carrying their tags over.\n"
         "\n"
         "  --format F    output format; default: the format last chosen in the window\n"
         "  --output DIR  output folder (created when missing); default: the stored output\n"
         "                folder, else the music folder\n"
         "  --normalize   level-normalise each file into DIR/Normalize_<name> instead\n"
         "  -j, --jobs N  convert up to N files at once; default: the number of processors\n"
         "                this program may run on. Names, bytes and tags of the outputs are\n"
         "                the same whatever N is; --jobs 1 converts one file after another\n"
         "  --list        only list the files with playing time and size\n"
         "\n"
         "A FOLDER adds every file under it, in name order, hidden files left out; files\n"
         "that cannot be read are listed once at the end and do not fail the run.\n"
         "  --tree        outputs of files from a folder go below DIR in the same folders\n"
         "                (the default, unless --name makes folders of its own)\n"
         "  --flat        every output straight into DIR\n"
         "  --name P      name outputs from their tags, e.g. '%artist%/%album%/%track% - %title%';\n"
         "                fields: title artist album year genre comment track (two digits);\n"
         "                '/' makes folders; an empty field takes the source's own name\n"
         "  --existing E  when an output name is taken: number (the default) adds (1), (2)...;\n"
         "                skip leaves the source alone; update converts only sources newer\n"
         "                than their output and replaces it once the new one is whole\n"
         "  --dry-run     print what each source would become, or why not; write nothing\n"
         "  --help        show this text\n"
         "  --version     show the version\n"
         "\n"
         "Encoder settings come from kelvane.ini, as the settings dialog stores them.\n"
         "Ctrl-C stops every file being converted, each keeping what it has written; a second\n"
         "Ctrl-C quits at once. An error ends the run: no further file starts, the files\n"
         "already started finish.\n"
         "Exit status: 0 when every file was converted (or skipped by --existing), 1 when\n"
         "some were not, 2 on a usage error, 130 when stopped by Ctrl-C.\n";
}
