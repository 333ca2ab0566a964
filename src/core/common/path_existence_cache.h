#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

struct statx;

namespace dashcard {

// Answers "does this path exist?" from one listing per folder instead of
// one system call per question. A scan makes one, fills it with the
// listings of its walk and hands it to the companion-file lookups of every
// recording it builds. Files appearing in a folder after it was listed are
// not seen, which is what a scan wants. Safe to share between threads.
//
// On a case-insensitive folder (FAT, exFAT, a case-folded folder) names
// are compared without case, as the file system compares them.
class PathExistenceCache {
 public:
  // Whether the folder at the path compares names without case.
  using CaseRule = std::function<bool(const QString& folder)>;
  // `foldsCase` empty: the file system's own rule (foldsCaseOnDisk).
  explicit PathExistenceCache(CaseRule foldsCase = {});
  static bool foldsCaseOnDisk(const QString& folder);
  ~PathExistenceCache();
  PathExistenceCache(const PathExistenceCache&) = delete;
  PathExistenceCache& operator=(const PathExistenceCache&) = delete;

  // The names of one folder, gathered by whoever reads it (the scan's own
  // walk) and handed over with `addListing`. All names share one buffer: a
  // card folder holds tens of thousands of them.
  class Listing {
   public:
    void add(QStringView name);
    // A name that is plain ASCII, as readdir gives it.
    void addAscii(const char* name, std::size_t length);
    std::size_t size() const { return names_.size(); }
    // Room for about `bytes` of names (a folder's size on the disk is a
    // fair guess), so a large folder's text is not moved as it grows.
    void reserve(std::size_t bytes);

   private:
    friend class PathExistenceCache;
    struct Name {
      std::uint32_t hash;
      std::uint32_t offset;
      std::uint32_t length;
    };
    void added(std::size_t start);
    QString text_;
    std::vector<Name> names_;
    // More text than the table can address: the folder is then asked
    // about with plain system calls.
    bool overflowed_ = false;
  };

  bool exists(QStringView path);
  // The attributes of `path` in `mask` as statx(2) gives them, read
  // relative to its folder (the path walk is done once per folder, not once
  // per file). False when the listing does not hold the file or it cannot
  // be read.
  bool statx(QStringView path, unsigned int mask, struct statx* info);
  // Takes a listing made elsewhere, so the folder is not read twice.
  // `folder` is spelled as lookups will spell it.
  void addListing(const QString& folder, Listing listing);

 private:
  class Names;
  struct Key {
    QString text;
    std::size_t hash;
  };
  struct Probe {
    QStringView text;
    std::size_t hash;
  };
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(const Key& key) const noexcept { return key.hash; }
    std::size_t operator()(const Probe& probe) const noexcept { return probe.hash; }
  };
  struct Equal {
    using is_transparent = void;
    static Probe view(const Key& key) { return {key.text, key.hash}; }
    static Probe view(const Probe& probe) { return probe; }
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const noexcept {
      const Probe left = view(a);
      const Probe right = view(b);
      return left.hash == right.hash && left.text == right.text;
    }
  };
  struct Folder {
    // Null when the folder cannot be listed.
    std::unique_ptr<const Names> names;
    // A path handle of the folder for the relative lookups; -1 when none.
    int fd = -1;
    // The listing was too large to keep: ask the file system instead.
    bool unlisted = false;
    Folder(std::unique_ptr<const Names> listed, int handle, bool tooLarge);
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();
  };
  // The folder's entry, listed on first use.
  const Folder& folder(QStringView folderPath);
  const Folder& lookUp(QStringView folderPath);
  const Folder& insert(QString folderPath, std::size_t hash, Listing listing, bool listed);

  // Tells this cache from an earlier one at the same address in the
  // threads' memories of recent folders.
  const std::uint64_t serial_;
  const CaseRule foldsCase_;
  std::shared_mutex mutex_;
  std::unordered_map<Key, Folder, Hash, Equal> folders_;
};

}  // namespace dashcard
