#include "cli/Help.h"

#include <string_view>

#include "cli/Options.h"

namespace dropshrink::cli {
namespace {

constexpr std::size_t kWidth = 79;
constexpr std::string_view kIndent = "       ";
constexpr std::string_view kOptionIndent = "              ";

// The words of `text` on lines no wider than kWidth, each starting with `indent`.
std::string Wrapped(std::string_view text, std::string_view indent) {
  std::string out;
  std::string line(indent);
  while (!text.empty()) {
    const std::size_t end = text.find(' ');
    const std::string_view word = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.size() > indent.size() && line.size() + 1 + word.size() > kWidth) {
      out += line + "\n";
      line = indent;
    }
    if (line.size() > indent.size()) line += ' ';
    line += word;
  }
  return out + line + "\n";
}

constexpr std::string_view kDescription[] = {
    "Converts pictures to JPEG files with the settings of the DropShrink window.",
    "Each PATH is a picture or a folder. A folder is converted as if it had been dropped on the "
    "window: the files directly in it (with -r, in its subfolders too) whose names end in .jpg, "
    ".jpeg, .bmp, .tif, .tiff, .png, .pcx or .pcd, in any letter case; its other files are "
    "ignored. The folder is listed before anything is written, so outputs written into it are "
    "not converted again. A file named on the command line with none of these endings is "
    "reported as skipped.",
    "Each output is named after its source without its last suffix: a.b.png gives a.b_压缩.jpg. It "
    "is written in colour at quality 75 with optimised Huffman tables and no smoothing, beside "
    "its source unless -o is given. An existing file of that name is replaced only once the new "
    "one is complete. Sources that would write the same output are converted in the order given, "
    "with a warning, so the last one's output is kept. An output that would replace its own "
    "source is refused.",
};

constexpr std::string_view kOutput[] = {
    "One line per file: source, output, result, the reason of a failure or skip in parentheses, "
    "and the sizes in bytes before and after. Results are Succeeded, Skipped, SourceMissing, "
    "SourceUnreadable, WriteFailed and InvalidArgument. Lines of converted and skipped files go to "
    "standard output, lines of failed files, warnings and errors to standard error. A summary "
    "ends the run: files converted, failed and skipped, and the bytes of the converted files "
    "before and after.",
    "When standard error is a terminal, a progress bar there shows the files and bytes done, the "
    "time elapsed and the time left, redrawn at most ten times a second.",
    "A name holding a newline or another control character, or bytes that are not UTF-8, is "
    "printed quoted as a POSIX shell reads it back: 'a'$'\\n''b'.",
};

constexpr std::string_view kExitStatus[] = {
    "0      every file was converted or skipped.",
    "1      a file failed, or a folder could not be read.",
    "2      the command line was wrong.",
    "128+N  ended by signal N (SIGINT, SIGTERM or SIGHUP); half-written outputs are removed and "
    "older outputs stay as they were.",
};

// Paragraphs apart by a blank line, or the items of a list one after the other.
std::string Section(std::string_view heading, std::span<const std::string_view> paragraphs,
                    bool list = false) {
  std::string out = std::string(heading) + "\n";
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    if (i > 0 && !list) out += "\n";
    out += Wrapped(paragraphs[i], kIndent);
  }
  return out + "\n";
}

std::string OptionsSection() {
  std::string out = "OPTIONS\n";
  for (const OptionHelp& option : OptionList()) {
    std::string names(kIndent);
    names += option.shortName != '\0' ? std::string{'-', option.shortName, ',', ' '} : "    ";
    names += "--";
    names += option.longName;
    if (!option.value.empty()) {
      names += '=';
      names += option.value;
    }
    out += names + "\n" + Wrapped(option.text, kOptionIndent);
  }
  return out + std::string(kIndent) + "--\n" +
         Wrapped("End the options: every later word is a PATH.", kOptionIndent) + "\n" +
         Wrapped(
             "Short options may be grouped (-rn) and take their value attached or as the "
             "next word (-q80, -q 80); long options take theirs after = or as the next word. "
             "Options may follow the paths; a later option overrides an earlier one.",
             kIndent) +
         "\n";
}

}  // namespace

std::string HelpText() {
  return "NAME\n" +
         Wrapped("dropshrink-cli - shrink photographs by re-encoding them as JPEG", kIndent) +
         "\nSYNOPSIS\n" + Wrapped("dropshrink-cli [OPTION]... PATH...", kIndent) + "\n" +
         Section("DESCRIPTION", kDescription) + OptionsSection() + Section("OUTPUT", kOutput) +
         Section("EXIT STATUS", kExitStatus, true);
}

}  // namespace dropshrink::cli
