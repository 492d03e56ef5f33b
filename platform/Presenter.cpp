#include "platform/Presenter.h"

namespace platform {
namespace {

Presenter* current = nullptr;

}  // namespace

Presenter* CurrentPresenter() {
  return current;
}

PresenterBinding::PresenterBinding(Presenter& presenter) : previous_(current) {
  current = &presenter;
}

PresenterBinding::~PresenterBinding() {
  current = previous_;
}

}  // namespace platform
