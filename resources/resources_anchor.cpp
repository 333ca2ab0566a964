// The resources themselves are added by qt_add_resources; a static library
// needs at least one source of its own.
namespace dashcard {
int resourcesAnchor() { return 0; }
}  // namespace dashcard
