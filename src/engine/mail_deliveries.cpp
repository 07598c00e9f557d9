#include "engine/mail_deliveries.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/string_ids.h"
#include "platform/string_table.h"

namespace quorvex::engine {

// Shared by the courier and its threads: a thread writes its result here, and the UI thread takes it.
struct MailDeliveries::State {
  struct Entry {
    uint64_t id = 0;
    model::MailDone done;  // touched on the UI thread only
    bool ended = false;
    bool sent = false;
    std::string error;
  };

  std::mutex lock;
  std::condition_variable ended;
  std::list<Entry> entries;
  uint64_t nextId = 1;
};

MailDeliveries::MailDeliveries(std::shared_ptr<Dispatcher> dispatcher)
    : m_dispatcher(std::move(dispatcher)), m_state(std::make_shared<State>()) {}

MailDeliveries::~MailDeliveries() {
  std::list<State::Entry> dropped;
  std::lock_guard lock(m_state->lock);
  // The done functions go here, on the UI thread, not with the last thread that holds the state.
  dropped.swap(m_state->entries);
}

void MailDeliveries::Deliver(std::unique_ptr<model::MailDelivery> delivery, model::MailDone done) {
  uint64_t id = 0;
  {
    std::lock_guard lock(m_state->lock);
    id = m_state->nextId++;
    State::Entry& entry = m_state->entries.emplace_back();
    entry.id = id;
    entry.done = std::move(done);
  }
  std::shared_ptr<model::MailDelivery> mail = std::move(delivery);
  // Holds what it uses: a thread given up at exit may outlive the courier and the document.
  auto send = [state = m_state, dispatcher = m_dispatcher, mail, id] {
    std::string error;
    const bool sent = model::SendAlertMail(mail->message, mail->relay, error);
    {
      std::lock_guard lock(state->lock);
      for (State::Entry& entry : state->entries) {
        if (entry.id != id) continue;
        entry.ended = true;
        entry.sent = sent;
        entry.error = std::move(error);
      }
    }
    state->ended.notify_all();
    dispatcher->Post([weak = std::weak_ptr<State>(state)] {
      if (std::shared_ptr<State> alive = weak.lock()) HandOver(*alive);
    });
  };
  try {
    std::thread(send).detach();
  } catch (const std::system_error&) {
    // No thread to be had: late on this thread is better than never.
    send();
    HandOver(*m_state);
  }
}

void MailDeliveries::HandOver(State& state) {
  std::vector<State::Entry> ended;
  {
    std::lock_guard lock(state.lock);
    for (auto it = state.entries.begin(); it != state.entries.end();) {
      if (it->ended) {
        ended.push_back(std::move(*it));
        it = state.entries.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Outside the lock: done shows messages, and may start more deliveries.
  for (State::Entry& entry : ended) {
    if (entry.done) entry.done(entry.sent, entry.error);
  }
}

size_t MailDeliveries::Pending() const {
  std::lock_guard lock(m_state->lock);
  return m_state->entries.size();
}

size_t MailDeliveries::Finish(std::chrono::milliseconds grace) {
  std::list<State::Entry> entries;
  {
    std::unique_lock lock(m_state->lock);
    m_state->ended.wait_for(lock, grace, [this] {
      return std::all_of(m_state->entries.begin(), m_state->entries.end(),
                         [](const State::Entry& entry) { return entry.ended; });
    });
    entries.swap(m_state->entries);
  }
  size_t givenUp = 0;
  for (State::Entry& entry : entries) {
    if (!entry.ended) {
      ++givenUp;
      entry.error = platform::GetString(platform::ids::kMsgMailGivenUp);
    }
    if (entry.done) entry.done(entry.ended && entry.sent, entry.error);
  }
  return givenUp;
}

}  // namespace quorvex::engine
