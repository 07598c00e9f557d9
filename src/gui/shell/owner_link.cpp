#include "gui/shell/owner_link.h"

namespace quorvex::gui {
namespace {

constexpr int kPollMs = 30;

}  // namespace

OwnerLink::OwnerLink(engine::CatalogOwner& owner, engine::CatalogOwner::Hooks hooks, QObject* parent)
    : QObject(parent), owner_(owner), hooks_(std::move(hooks)) {
  notifier_ = std::make_unique<QSocketNotifier>(owner_.ListenFd(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &OwnerLink::Serve);
  connect(&poll_, &QTimer::timeout, this, &OwnerLink::Serve);
}

OwnerLink::~OwnerLink() = default;

void OwnerLink::Serve() {
  if (owner_.Serve(hooks_)) {
    if (!poll_.isActive()) poll_.start(kPollMs);
  } else {
    poll_.stop();
  }
}

}  // namespace quorvex::gui
