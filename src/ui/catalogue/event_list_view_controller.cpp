#include "ui/catalogue/event_list_view_controller.h"

namespace dashcard {

EventListViewController::EventListViewController(QWidget* parent)
    : DCFListViewController(kEventListNumber, parent) {}

}  // namespace dashcard
