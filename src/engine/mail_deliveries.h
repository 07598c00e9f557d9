#pragma once
// The document's mail courier: every alert mail goes to the relay on a thread of its own, and its result
// comes back through the dispatcher, so the UI thread (the window, the alert, the other actions) never
// waits for a relay.
#include <chrono>
#include <cstddef>
#include <memory>

#include "engine/dispatcher.h"
#include "model/mail_courier.h"

namespace quorvex::engine {

// How long deliveries still running at exit are waited for before they are given up.
constexpr std::chrono::seconds kMailGrace{5};

class MailDeliveries : public model::MailCourier {
 public:
  // dispatcher: where the results are posted; the UI thread drains it.
  explicit MailDeliveries(std::shared_ptr<Dispatcher> dispatcher);
  // Drops the deliveries not told yet without calling their done (Finish tells them). Their threads
  // run on to their own end (at most the delivery limit) and then find nobody to tell.
  ~MailDeliveries() override;
  MailDeliveries(const MailDeliveries&) = delete;
  MailDeliveries& operator=(const MailDeliveries&) = delete;

  // UI thread. Starts a thread that sends delivery's message; once it has ended, a closure posted to the
  // dispatcher calls done on the UI thread. When no thread can be made, sends on this thread instead.
  void Deliver(std::unique_ptr<model::MailDelivery> delivery, model::MailDone done) override;

  // UI thread. Deliveries whose done has not been called yet.
  size_t Pending() const;

  // UI thread, for the end of the program. Waits until every delivery has ended or grace has passed,
  // then calls done for all of them without going through the dispatcher: with their results, or, for
  // those still running, false and language text kMsgMailGivenUp. Returns how many were given up.
  size_t Finish(std::chrono::milliseconds grace);

 private:
  struct State;
  // Calls done for the deliveries that have ended. UI thread.
  static void HandOver(State& state);

  std::shared_ptr<Dispatcher> m_dispatcher;
  std::shared_ptr<State> m_state;
};

}  // namespace quorvex::engine
