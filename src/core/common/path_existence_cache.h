#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <optional>
#include <shared_mutex>
#include <unordered_map>
#include <unordered_set>

struct stat;

namespace dashcard {

// Answers "does this path exist?" from one listing per folder instead of
// one system call per question. A scan installs one with `Scope` on its
// thread for its duration (and on the threads that help it); the
// companion-file lookups then ask it. Files appearing in a folder after it
// was listed are not seen, which is what a scan wants. Safe to share
// between threads.
class PathExistenceCache {
 public:
  PathExistenceCache();
  ~PathExistenceCache();
  PathExistenceCache(const PathExistenceCache&) = delete;
  PathExistenceCache& operator=(const PathExistenceCache&) = delete;

  // Installs `cache` on the current thread for the scope's life.
  class Scope {
   public:
    explicit Scope(PathExistenceCache* cache);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    PathExistenceCache* previous_;
  };

  // The cache installed on this thread, or null.
  static PathExistenceCache* current();

  bool exists(QStringView path);
  // The attributes of `path` as stat(2) gives them, read relative to its
  // folder (the path walk is done once per folder, not once per file).
  // False when the listing does not hold the file or it cannot be read.
  bool stat(QStringView path, struct stat* info);
  // Takes a listing made elsewhere (the scan's own walk), so the folder is
  // not read twice. `folder` is spelled as lookups will spell it.
  void addListing(const QString& folder, const QStringList& names);

 private:
  // Keys carry their hash, and so do lookups (by view: asking never builds
  // a string). Equality looks at the hashes first, so a bucket walk does
  // not compare the texts of names that merely share the bucket.
  struct Key {
    QString text;
    size_t hash;
  };
  struct Probe {
    QStringView text;
    size_t hash;
  };
  static Probe probeOf(QStringView text);
  struct Hash {
    using is_transparent = void;
    size_t operator()(const Key& key) const noexcept { return key.hash; }
    size_t operator()(const Probe& probe) const noexcept { return probe.hash; }
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
  using Names = std::unordered_set<Key, Hash, Equal>;
  static Key keyOf(QString text);

  struct Folder {
    // Null when the folder cannot be listed.
    std::unique_ptr<const Names> names;
    // A path handle of the folder for the relative lookups; -1 when none.
    int fd = -1;
    Folder(std::unique_ptr<const Names> listed, int handle) : names(std::move(listed)), fd(handle) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();
  };
  // The folder's entry, listed on first use.
  const Folder& folder(QStringView folderPath);
  const Folder& insert(Key folderPath, std::unique_ptr<const Names> names);

  std::shared_mutex mutex_;
  std::unordered_map<Key, Folder, Hash, Equal> folders_;
};

}  // namespace dashcard
