#include "model/mail_courier.h"

namespace quorvex::model {
namespace {
MailCourier* g_courier = nullptr;
}

MailCourier* ActiveMailCourier() {
  return g_courier;
}

void SetMailCourier(MailCourier* courier) {
  g_courier = courier;
}

}  // namespace quorvex::model
