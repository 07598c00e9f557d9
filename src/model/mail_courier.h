#pragma once
// Who carries the e-mail action's messages to the relay. Talking to a relay can take as long as the
// relay likes, which must not hold the UI thread; the model sits below the threads of the engine, so the
// document installs a courier here while it lives. Without one the action sends on its own thread.
#include <functional>
#include <memory>
#include <string>

#include "model/alert_email.h"

namespace quorvex::model {

// The result of one delivery: sent (also when some recipients were refused), and the error text
// (the session's, or the refusal; empty when everything went).
using MailDone = std::function<void(bool sent, const std::string& error)>;

class MailCourier {
 public:
  virtual ~MailCourier() = default;
  // Sends delivery away from the calling (UI) thread and calls done once on the UI thread with its
  // result, or with a failure when the delivery is given up. Returns at once; when no other thread
  // can be had, sends on the calling thread and calls done before returning.
  virtual void Deliver(std::unique_ptr<MailDelivery> delivery, MailDone done) = 0;
};

// The installed courier or nullptr. UI thread only.
MailCourier* ActiveMailCourier();
void SetMailCourier(MailCourier* courier);

}  // namespace quorvex::model
