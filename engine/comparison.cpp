#include "engine/comparison.h"

#include "engine/name_index.h"
#include "platform/paths.h"

#include <optional>
#include <string>

namespace velmorane::engine {
namespace {

struct CommonFolder {
    std::size_t source;
    std::size_t dest;
};

class Comparison {
public:
    Comparison(const FolderStructure& source, const FolderStructure& dest, platform::ProgressSink& progress,
               platform::EventPump& pump)
        : source_(source), dest_(dest), progress_(progress), pump_(pump)
    {
    }

    TaskLists run()
    {
        progress_.setPanneau("Comparaison des Structures");
        compareSourceFolders();
        listDestinationOnlyFolders();
        progress_.setPanneau("Parcours des Dossiers Communs");
        for (const CommonFolder& common : common_) compareFiles(common);
        return std::move(lists_);
    }

private:
    void showCount()
    {
        progress_.setCompteur(std::to_string(counter_++));
        pump_.processEvents();
    }

    // Phase A: a source folder is common when the destination holds the same path ignoring case.
    void compareSourceFolders()
    {
        for (const FolderLine& line : dest_.lines) destFolders_.add(line.relative);
        std::vector<std::string_view> relatives;
        relatives.reserve(source_.lines.size());
        for (const FolderLine& line : source_.lines) relatives.push_back(line.relative);
        const auto matches = destFolders_.takeAll(relatives);
        destPathOf_.resize(source_.lines.size());
        for (std::size_t i = 0; i < source_.lines.size(); ++i) {
            const FolderLine& line = source_.lines[i];
            showCount();
            progress_.setEtape(line.path);
            pump_.processEvents();
            if (const auto match = matches[i]) {
                destPathOf_[i] = dest_.lines[*match].path;
                common_.push_back({i, *match});
            } else {
                // A new folder lands in the real destination folder of its parent, whatever its case.
                destPathOf_[i] = destPathOf_[line.parent] + platform::lastComponent(line.path) + platform::kSeparator;
                lists_.fichAjout.push_back({folderEntryText(line.path), line.path, destPathOf_[i]});
            }
        }
    }

    // Phase B: every destination folder left has no source counterpart.
    void listDestinationOnlyFolders()
    {
        for (std::size_t i = 0; i < dest_.lines.size(); ++i) {
            if (destFolders_.taken(i)) continue;
            showCount();
            lists_.fichSuppr.push_back({folderEntryText(dest_.lines[i].path), {}, dest_.lines[i].path});
        }
    }

    // Phase C: the files of one common folder.
    void compareFiles(const CommonFolder& common)
    {
        const FolderLine& sourceFolder = source_.lines[common.source];
        const FolderLine& destFolder = dest_.lines[common.dest];
        progress_.setEtape(sourceFolder.path);
        pump_.processEvents();
        for (const char* step : {"1", "2", "3"}) {
            progress_.setCompteur(step);
            pump_.processEvents();
        }

        NameIndex destFiles;
        for (const auto& file : destFolder.files) destFiles.add(file.name);
        std::vector<std::string_view> names;
        names.reserve(sourceFolder.files.size());
        for (const auto& file : sourceFolder.files) names.push_back(file.name);
        const auto matches = destFiles.takeAll(names);
        for (std::size_t i = 0; i < sourceFolder.files.size(); ++i) {
            const platform::FileRecord& file = sourceFolder.files[i];
            const std::string sourcePath = sourceFolder.path + file.name;
            const auto& match = matches[i];
            if (!match) {
                lists_.fichAjout.push_back({fileEntryText(sourcePath, file.size, file.modified), sourcePath,
                                            destFolder.path + file.name});
                continue;
            }
            const platform::FileRecord& destFile = destFolder.files[*match];
            if (destFile.size == file.size && destFile.modified == file.modified && destFile.isLink == file.isLink) {
                continue;
            }
            const std::string destPath = destFolder.path + destFile.name;
            lists_.fichModif.push_back({fileEntryText(destPath, file.size, file.modified), sourcePath, destPath});
        }

        progress_.setCompteur("4");
        pump_.processEvents();
        for (std::size_t i = 0; i < destFolder.files.size(); ++i) {
            if (destFiles.taken(i)) continue;
            const platform::FileRecord& destFile = destFolder.files[i];
            const std::string destPath = destFolder.path + destFile.name;
            lists_.fichSuppr.push_back({fileEntryText(destPath, destFile.size, destFile.modified), {}, destPath});
        }
    }

    const FolderStructure& source_;
    const FolderStructure& dest_;
    platform::ProgressSink& progress_;
    platform::EventPump& pump_;
    NameIndex destFolders_;
    std::vector<std::string> destPathOf_;
    std::vector<CommonFolder> common_;
    std::size_t counter_ = 0;
    TaskLists lists_;
};

}  // namespace

TaskLists compareStructures(const FolderStructure& source, const FolderStructure& dest,
                            platform::ProgressSink& progress, platform::EventPump& pump)
{
    return Comparison(source, dest, progress, pump).run();
}

}  // namespace velmorane::engine
