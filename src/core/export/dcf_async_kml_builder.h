#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/export/xml_node.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/fix_list.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace dashcard {

// Writes the routes and event positions of recordings as a KML document or a
// KMZ archive, in the background. One object per export, started once.
//
// Build: every recording's telemetry is parsed in list order (speed and
// heading carried over from the clip before), the valid positions are
// grouped by calendar day (a group per later day, so a list sorted newest
// first stays one group), one route folder per group and one folder of
// event placemarks are built, and the document is written. Progress and the
// end are reported on the main thread. Cancel stops at the next check; no
// file and no callback follow. A cancel after the last check (the target
// is being written) stops nothing, and the end is still reported.
// The valid positions of one day: runs of recordings' fix lists, in order
// (shared with the telemetry, not copied).
using LocationGroup = std::vector<LocationList>;

class DCFAsyncKMLBuilder : public std::enable_shared_from_this<DCFAsyncKMLBuilder> {
 public:
  // (the recording just parsed, 0 < progress <= 0.99)
  using ProgressBlock = std::function<void(const DCFInfoPtr& info, float progress)>;
  // The reason of a failure; empty on success.
  using DidFinishBlock = std::function<void(const std::optional<QString>& error)>;

  static constexpr unsigned kTrackStyleCount = 7;
  static constexpr unsigned kEventStyleCount = 4;
  static inline const QByteArray kKmlNamespace = "http://www.opengis.net/kml/2.2";
  static inline const QByteArray kExtensionNamespace = "http://www.google.com/kml/ext/2.2";

  // The task holds the builder weakly, so it must live in a shared_ptr.
  static std::shared_ptr<DCFAsyncKMLBuilder> create();

  bool cancelFlag() const { return cancelFlag_.load(); }
  void setCancelFlag(bool cancel) { cancelFlag_.store(cancel); }
  bool isRunning() const { return isRunning_.load(); }

  // Starts the build and returns at once. `didFinish` comes once unless
  // cancelled: with an error at once for an empty list, and for a call made
  // while an export runs (that export goes on with its own callbacks).
  void kmlBuildAsync(const DCFInfoList& infos, const QString& targetFilePath, ProgressBlock progress,
                     DidFinishBlock didFinish);

  // Pieces of the document.
  static QByteArray createXMLString(std::vector<XmlNode> nodes);
  // The same document as a tree, for writing it out in pieces.
  static XmlNode createXMLDocument(std::vector<XmlNode> nodes);
  static std::optional<XmlNode> routeNodeFolderWithLocations(const std::vector<CustomLocation>& locations,
                                                             unsigned styleIndex);
  static std::optional<XmlNode> routeNodeFolderWithLocations(const LocationGroup& locations, unsigned styleIndex);
  static std::optional<XmlNode> eventNodeFolderWithLocations(const DCFInfoList& infos);
  static std::optional<XmlNode> eventNodeForEventInfo(const DCFInfo& info);
  static std::vector<XmlNode> lookAtNodesForLocation(const CustomLocation& location);
  static XmlNode descriptionNodeForLocation(const CustomLocation& location, const QString& eventPlacemarkName);
  static QString descriptionBody();
  static QString descriptionFooter(const CustomLocation& location, const QString& eventPlacemarkName);
  static std::vector<XmlNode> whenAndCoordNodesForLocation(const CustomLocation& location);
  // type 0: route line styles, 1: event icon styles.
  static std::optional<XmlNode> styleMapForTracksNodeWithIndex(unsigned index, unsigned type);

  // The positions grouped by calendar day, in list order (parsed telemetry).
  static std::vector<LocationGroup> dayGroups(const DCFInfoList& infos);
  // True when the target names a KMZ archive (extension in any case).
  static bool isKmzPath(const QString& targetFilePath);
  // Writes the document, plain or packed by the target's extension.
  static bool writeDocument(const QByteArray& document, const QString& targetFilePath, QString* errorText);
  // The banner picture of the event descriptions: a 192 x 108 baseline JPEG.
  static QByteArray bannerJpeg();

 private:
  DCFAsyncKMLBuilder() = default;
  void run(const DCFInfoList& infos, const QString& targetFilePath);
  // The steps of a run: every recording's telemetry read and published in
  // list order (false when cancelled), the document built, then written
  // (the reason of a failure, none on success or cancel; `stopped` when a
  // cancel stopped it before the target was touched).
  bool readAndPublish(const DCFInfoList& infos);
  static XmlNode build(const DCFInfoList& infos);
  std::optional<QString> write(const XmlNode& document, const QString& targetFilePath, bool* stopped);

  std::atomic<bool> cancelFlag_{false};
  std::atomic<bool> isRunning_{false};
  ProgressBlock progressBlock_;
  DidFinishBlock didFinishBlock_;
};

}  // namespace dashcard
