#include "platform/sftp_tree_walk.h"

#include <deque>
#include <memory>

namespace velmorane::platform {
namespace {

// Folders open at once: enough to keep the channel busy, few enough for the server's handle limit.
constexpr std::size_t kFoldersInFlight = 256;

class TreeWalk {
public:
    TreeWalk(SftpSession& session, std::string root) : session_(session), root_(std::move(root)) {}

    SftpResult<std::vector<SftpTreeEntry>> run()
    {
        waiting_.push_back("");
        openWaitingFolders();
        session_.runUntilIdle();
        if (failure_) return SftpResult<std::vector<SftpTreeEntry>>::failure(*failure_);
        return {std::move(entries_), std::nullopt};
    }

private:
    std::string remotePath(const std::string& relative) const
    {
        if (relative.empty()) return root_;
        return root_.ends_with('/') ? root_ + relative : root_ + "/" + relative;
    }

    void openWaitingFolders()
    {
        while (!failure_ && open_ < kFoldersInFlight && !waiting_.empty()) {
            std::string folder = std::move(waiting_.front());
            waiting_.pop_front();
            ++open_;
            session_.submit(folderOpeningRequest(remotePath(folder)), [this, folder](SftpResult<SftpAnswer> answer) {
                if (!answer.ok()) return fail(*answer.error);
                readFolder(folder, answer.value.bytes);
            });
        }
    }

    // Two READDIRs stay in flight on each folder: a folder of up to a hundred names then costs a
    // single round trip, its names and its end arriving together. The server answers them in order.
    struct FolderRead {
        std::string folder;
        std::string handle;
        int inFlight = 0;
        bool ended = false;
    };

    void readFolder(const std::string& folder, const std::string& handle)
    {
        auto read = std::make_shared<FolderRead>(FolderRead{folder, handle});
        askNames(read);
        askNames(read);
    }

    void askNames(const std::shared_ptr<FolderRead>& read)
    {
        ++read->inFlight;
        session_.submit(folderReadingRequest(read->handle), [this, read](SftpResult<SftpAnswer> answer) {
            --read->inFlight;
            if (!answer.ok()) fail(*answer.error);
            if (!answer.ok() || answer.value.type == SftpPacketType::Status || failure_) read->ended = true;
            if (!read->ended) {
                for (SftpNamedEntry& named : answer.value.names) take(read->folder, std::move(named));
                askNames(read);
            }
            if (read->ended && read->inFlight == 0) closeFolder(read->handle);
        });
    }

    void take(const std::string& folder, SftpNamedEntry named)
    {
        if (named.name == "." || named.name == "..") return;
        std::string path = folder.empty() ? named.name : folder + "/" + named.name;
        if (named.attributes.isFolder()) waiting_.push_back(path);
        entries_.push_back({std::move(path), named.attributes});
    }

    // The next folder opens as soon as this one is read; its CLOSE needs no answer to wait for.
    void closeFolder(const std::string& handle)
    {
        session_.submit(closingRequest(handle), [](const SftpResult<SftpAnswer>&) {});
        --open_;
        openWaitingFolders();
    }

    void fail(const SftpError& error)
    {
        if (!failure_) failure_ = error;
    }

    SftpSession& session_;
    std::string root_;
    std::deque<std::string> waiting_;
    std::size_t open_ = 0;
    std::vector<SftpTreeEntry> entries_;
    std::optional<SftpError> failure_;
};

}  // namespace

SftpResult<std::vector<SftpTreeEntry>> walkTree(SftpSession& session, const std::string& root)
{
    return TreeWalk(session, root).run();
}

}  // namespace velmorane::platform
