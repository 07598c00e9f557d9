#pragma once
// The desktop program as its catalog's owner: serves the commands (quorvex-cli add, import, ...) that
// ask to change the catalog while the window has it open, from the Qt event loop.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "engine/catalog_lock.h"

namespace quorvex::gui {

class OwnerLink : public QObject {
  Q_OBJECT

 public:
  // owner must be open and outlive the link; hooks as CatalogOwner::Serve takes them.
  OwnerLink(engine::CatalogOwner& owner, engine::CatalogOwner::Hooks hooks, QObject* parent = nullptr);
  ~OwnerLink() override;

  bool IsLent() const { return owner_.IsReleased(); }

 private:
  void Serve();

  engine::CatalogOwner& owner_;
  engine::CatalogOwner::Hooks hooks_;
  std::unique_ptr<QSocketNotifier> notifier_;
  // While a command has the catalog its answers are polled.
  QTimer poll_;
};

}  // namespace quorvex::gui
