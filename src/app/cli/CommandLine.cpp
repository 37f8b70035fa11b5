#include "app/cli/CommandLine.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>

#include "app/NamePattern.h"
#include "app/RunSettings.h"

namespace {

std::optional<int> FormatIndexOf(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name == "mp3") return kFormatMp3;
  if (name == "wav") return kFormatWav;
  if (name == "wma") return kFormatWma;
  if (name == "ogg") return kFormatOgg;
  if (name == "flac") return kFormatFlac;
  if (name == "opus") return kFormatOpus;
  if (name == "m4a") return kFormatM4a;
  return std::nullopt;
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

enum MainOptionId {
  kFormat = 1, kOutput, kNormalize, kList, kTags, kTree, kFlat, kName, kExisting, kDryRun,
  kJobs = 'j', kHelp = 'h', kVersion = 'V'
};

std::vector<option> LongOptions() {
  std::vector<option> options = {
      {"format", required_argument, nullptr, kFormat}, {"output", required_argument, nullptr, kOutput},
      {"normalize", no_argument, nullptr, kNormalize}, {"list", no_argument, nullptr, kList},
      {"tags", no_argument, nullptr, kTags},
      {"jobs", required_argument, nullptr, kJobs},     {"help", no_argument, nullptr, kHelp},
      {"version", no_argument, nullptr, kVersion},
      {"tree", no_argument, nullptr, kTree},           {"flat", no_argument, nullptr, kFlat},
      {"name", required_argument, nullptr, kName},     {"existing", required_argument, nullptr, kExisting},
      {"dry-run", no_argument, nullptr, kDryRun}};
  options.insert(options.end(), kEncoderLongOptions.begin(), kEncoderLongOptions.end());
  options.push_back({nullptr, 0, nullptr, 0});
  return options;
}

// What getopt_long could not take, as the user should read it.
std::string GetoptError(int result, const char* arg) {
  if (result == ':') return std::string(arg) + " needs a value";
  if (optopt != 0 && optopt < kFirstEncoderOption && std::isalpha(optopt) && arg[1] != '-')
    return std::string("unknown option -") + static_cast<char>(optopt);
  return "unknown option " + std::string(arg);
}

// --tree, --flat, --name, --existing and --dry-run; false when the option is none of them.
bool TakeLibraryOption(int id, const char* value, CommandLine& cl) {
  switch (id) {
    case kTree: cl.library.tree = TreeMode::kKeep; return true;
    case kFlat: cl.library.tree = TreeMode::kFlat; return true;
    case kDryRun: cl.dryRun = true; return true;
    case kName:
      cl.library.namePattern = value;
      if (std::optional<std::string> problem = NamePatternProblem(value)) cl.error = "--name: " + *problem;
      return true;
    case kExisting:
      if (std::optional<ExistingPolicy> policy = ExistingPolicyNamed(value))
        cl.library.existing = *policy;
      else
        cl.error = "--existing needs number, skip or update, not '" + std::string(value) + "'";
      return true;
    default: return false;
  }
}

void TakeMainOption(int id, const char* value, CommandLine& cl) {
  if (TakeLibraryOption(id, value, cl)) return;
  switch (id) {
    case kHelp: cl.help = true; break;
    case kVersion: cl.version = true; break;
    case kNormalize: cl.normalize = true; break;
    case kList: cl.listOnly = true; break;
    case kTags: cl.tagsOnly = true; break;
    case kFormat:
      cl.formatIndex = FormatIndexOf(value);
      if (!cl.formatIndex)
        cl.error = "unknown format '" + std::string(value) + "' (use mp3, wav, wma, ogg, flac, opus or m4a)";
      break;
    case kJobs: {
      std::string count = value;
      if (!count.empty() && count[0] == '=') count.erase(0, 1);  // "-j=4"
      cl.jobs = JobCountOf(count);
      if (!cl.jobs)
        cl.error = "--jobs needs a number from 1 to " + std::to_string(kMaxJobs) + ", not '" + count + "'";
      break;
    }
    case kOutput:
      if (*value == '\0') cl.error = "--output needs a folder";
      cl.outputFolder = value;
      break;
    default: break;
  }
}

// A preset picks the format; --format may only agree with it. --normalize keeps every file's
// own format and settings, so it takes no encoder options.
void CheckFormatChoice(CommandLine& cl) {
  if (!cl.error.empty()) return;
  if (cl.normalize && cl.formatIndex) {
    cl.error = "--normalize keeps each file's own format; leave out --format";
  } else if (cl.normalize && cl.encoder.Any()) {
    cl.error = "--normalize keeps each file's own format and settings; leave out " + cl.encoder.given.front();
  } else if (cl.encoder.preset) {
    const int presetFormat = *PresetFormat(*cl.encoder.preset);
    if (cl.formatIndex && *cl.formatIndex != presetFormat)
      cl.error = "--preset " + *cl.encoder.preset + " makes " + OutputExtension(presetFormat) +
                 " files; leave out --format or choose another preset";
    cl.formatIndex = presetFormat;
  }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  std::vector<std::string> storage = args;
  storage.insert(storage.begin(), "velmora-convert");
  std::vector<char*> argv;
  for (std::string& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::vector<option> options = LongOptions();
  optind = 0;  // a fresh scan, also when called more than once
  opterr = 0;  // the errors are ours to word
  const int argc = static_cast<int>(argv.size()) - 1;
  int id;
  while (cl.error.empty() && (id = getopt_long(argc, argv.data(), ":hVj:", options.data(), nullptr)) != -1) {
    if (id == '?' || id == ':') cl.error = GetoptError(id, argv[optind - 1]);
    else if (id >= kFirstEncoderOption) TakeEncoderOption(id, optarg, cl.encoder, cl.error);
    else TakeMainOption(id, optarg, cl);
  }
  if (cl.error.empty())
    for (int i = optind; i < argc; ++i) cl.files.push_back(argv[i]);
  if (cl.error.empty() && !cl.help && !cl.version && cl.files.empty()) cl.error = "no files given";
  CheckFormatChoice(cl);
  return cl;
}

std::string UsageText() {
  return "Usage: velmora-convert [--format mp3|wav|wma|ogg|flac|opus|m4a] [--output DIR]\n"
         "                       [--normalize] [--jobs N] [ENCODER SETTINGS] [--tree|--flat]\n"
         "                       [--name PATTERN] [--existing number|skip|update] [--dry-run]\n"
         "                       FILE|FOLDER...\n"
         "       velmora-convert --tags FILE...\n"
         "\n"
         "Converts audio files into one output format, carrying their tags over.\n"
         "\n"
         "  --format F    output format; default: the format last chosen in the window\n"
         "  --output DIR  output folder (created when missing); default: the stored output\n"
         "                folder, else the music folder\n"
         "  --normalize   level-normalise each file into DIR/Normalize_<name> instead\n"
         "  -j, --jobs N  convert up to N files at once; default: the number of processors\n"
         "                this program may run on. Names, bytes and tags of the outputs are\n"
         "                the same whatever N is; --jobs 1 converts one file after another\n"
         "  --list        only list the files with playing time and size\n"
         "  --tags        only print every tag field of the files, as a conversion carries them\n"
         "\n"
         "A FOLDER adds every file under it, in name order, hidden files left out; files\n"
         "that cannot be read are listed once at the end and do not fail the run.\n"
         "  --tree        outputs of files from a folder go below DIR in the same folders\n"
         "                (the default, unless --name makes folders of its own)\n"
         "  --flat        every output straight into DIR\n"
         "  --name P      name outputs from their tags, e.g. '%artist%/%album%/%track% - %title%';\n"
         "                fields: title artist album year genre comment track (two digits)\n"
         "                and every field --tags lists (albumartist, composer, disc...);\n"
         "                '/' makes folders; an empty field takes the source's own name\n"
         "  --existing E  when an output name is taken: number (the default) adds (1), (2)...;\n"
         "                skip leaves the source alone; update converts only sources newer\n"
         "                than their output and replaces it once the new one is whole\n"
         "  --dry-run     print what each source would become, or why not; write nothing\n"
         "  --help        show this text\n"
         "  --version     show the version\n"
         "\n"
         + EncoderOptionsHelp() + "\n"
         "Settings not given come from kelvane.ini, as the settings dialog stores them.\n"
         "Ctrl-C stops every file being converted, each keeping what it has written; a second\n"
         "Ctrl-C quits at once. An error ends the run: no further file starts, the files\n"
         "already started finish.\n"
         "Exit status: 0 when every file was converted (or skipped by --existing), 1 when\n"
         "some were not, 2 on a usage error, 130 when stopped by Ctrl-C.\n";
}
