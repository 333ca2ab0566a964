#pragma once

#include "ui/catalogue/dcf_list_view_controller.h"

namespace dashcard {

// The event list: the card's event, manual and parking recordings. Behaves
// like the file list on its own rows and reports selections as list 2.
class EventListViewController : public DCFListViewController {
  Q_OBJECT
 public:
  explicit EventListViewController(QWidget* parent = nullptr);

  const DCFInfoList& eventDCFInfos() const { return DCFInfosData(); }
  CustomTableView* eventListTableView() const { return tableView(); }
};

}  // namespace dashcard
