#include "cli/Plan.h"

#include <map>

#include "app/FolderWalk.h"
#include "app/OutputPath.h"
#include "app/SupportedImage.h"
#include "engine/ConversionCommand.h"
#include "platform/files/FileFacts.h"
#include "platform/files/Files.h"

namespace dropshrink::cli {
namespace {

constexpr char kSeparator = platform::kPathSeparator;

// The folder part of a path with its separator; empty for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind(kSeparator);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

// The application's name with the suffix swapped for the chosen one.
std::string OutputName(const std::string& folder, const std::string& source,
                       const std::string& suffix) {
  std::string path = app::MakeOutputPath(folder, source);
  path.resize(path.size() - app::kOutputSuffix.size());
  return path + suffix + ".jpg";
}

Job PlannedJob(const std::string& source, const std::string& folder, const Options& options) {
  Job job;
  job.source = source;
  job.destination = OutputName(folder, source, options.suffix);
  job.sourceBytes = platform::RegularFileSize(source.c_str());
  // An empty suffix beside the source would replace the photograph with its lossy copy.
  if (platform::SameFile(source.c_str(), job.destination.c_str())) {
    job.verdict = Verdict::Failed;
    job.result = ConversionResultName(kInvalidArgument);
    job.reason = "the output would replace its source";
  }
  return job;
}

// Whether a subfolder of the walk is the output folder or lies in it, remembered per folder.
class OutputFolderTest {
 public:
  OutputFolderTest(std::string top, std::string output)
      : top_(std::move(top)), output_(std::move(output)) {}

  bool Holds(const std::string& subfolder) {
    for (std::size_t slash = subfolder.find(kSeparator); slash != std::string::npos;
         slash = subfolder.find(kSeparator, slash + 1)) {
      const auto [at, added] = known_.try_emplace(subfolder.substr(0, slash + 1), false);
      if (added) at->second = platform::SameFile((top_ + at->first).c_str(), output_.c_str());
      if (at->second) return true;
    }
    return false;
  }

 private:
  std::string top_;
  std::string output_;
  std::map<std::string, bool> known_;
};

void AddFolder(Plan& plan, const std::string& folder, const Options& options) {
  app::FolderTree tree = app::WalkFolderTree(folder, options.recursive);
  plan.unreadableFolders.insert(plan.unreadableFolders.end(), tree.unreadable.begin(),
                                tree.unreadable.end());
  const std::string output = WithSeparator(options.outputFolder);
  // An output folder inside the tree holds the outputs of an earlier run; walked again, they would
  // be converted into a copy nested one level deeper at every run.
  OutputFolderTest inOutput(WithSeparator(folder), output);
  for (const app::WalkedFile& file : tree.files) {
    if (!app::IsSupportedImage(file.path)) continue;
    if (!output.empty() && inOutput.Holds(file.subfolder)) continue;
    if (options.outputFolder.empty()) {
      plan.jobs.push_back(PlannedJob(file.path, FolderOf(file.path), options));
      continue;
    }
    Job job = PlannedJob(file.path, output + file.subfolder, options);
    for (std::size_t slash = file.subfolder.find(kSeparator); slash != std::string::npos;
         slash = file.subfolder.find(kSeparator, slash + 1)) {
      job.newFolders.push_back(output + file.subfolder.substr(0, slash));
    }
    plan.jobs.push_back(std::move(job));
  }
}

}  // namespace

Plan MakePlan(const Options& options) {
  Plan plan;
  for (const std::string& path : options.paths) {
    if (platform::IsFolder(path.c_str())) {
      AddFolder(plan, path, options);
    } else if (app::IsSupportedImage(path)) {
      const std::string folder =
          options.outputFolder.empty() ? FolderOf(path) : options.outputFolder;
      plan.jobs.push_back(PlannedJob(path, folder, options));
    } else {
      Job& job = plan.jobs.emplace_back();
      job.source = path;
      job.verdict = Verdict::Skipped;
      job.result = kSkipped;
      job.reason =
          "not a picture name: it ends in none of .jpg .jpeg .bmp .tif .tiff .png .pcx .pcd";
    }
  }
  return plan;
}

}  // namespace dropshrink::cli
