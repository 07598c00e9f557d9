#include "engine/fetch_job.h"

#include <utility>

namespace quorvex::engine {

WDFetchJob::WDFetchJob(std::string url, std::weak_ptr<FetchTarget> target, model::WDValPage* page)
    : m_strUrl(std::move(url)), m_target(std::move(target)), m_pPage(page) {}

int32_t WDFetchJob::Result() const {
  std::lock_guard lock(m_lock);
  return m_nResult;
}

bool WDFetchJob::IsFinished() const {
  std::lock_guard lock(m_lock);
  return m_finished;
}

bool WDFetchJob::HasText() const {
  std::lock_guard lock(m_lock);
  return m_hasText;
}

std::string WDFetchJob::TakeText() {
  std::lock_guard lock(m_lock);
  m_hasText = false;
  return std::exchange(m_text, std::string());
}

bool WDFetchJob::WasCut() const {
  std::lock_guard lock(m_lock);
  return m_cut;
}

std::string WDFetchJob::ErrorText() const {
  std::lock_guard lock(m_lock);
  return m_error;
}

bool WDFetchJob::GiveUp(int32_t result, std::string error) {
  std::lock_guard lock(m_lock);
  if (m_finished || m_givenUp) return false;
  m_givenUp = true;
  m_nResult = result;
  m_error = std::move(error);
  return true;
}

bool WDFetchJob::IsGivenUp() const {
  std::lock_guard lock(m_lock);
  return m_givenUp;
}

bool WDFetchJob::Finish(int32_t result, std::string text, bool cut, std::string error) {
  std::lock_guard lock(m_lock);
  if (m_givenUp || m_finished) return false;
  m_finished = true;
  m_nResult = result;
  m_hasText = result == FetchResultOk;
  if (m_hasText) {
    m_text = std::move(text);
    m_cut = cut;
  } else {
    m_error = std::move(error);
  }
  return true;
}

void WDFetchJob::MarkStarted(int64_t now) {
  m_startTime.store(now);
  m_workerStarted.store(true);
}

}  // namespace quorvex::engine
