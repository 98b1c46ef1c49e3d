#pragma once
#include <QLabel>
#include <functional>

#include "pictures/Pictures.h"

namespace qz {

// The product's logo: a power sign on a dark green tile, acting on a click.
class LogoPicture : public QLabel {
  public:
    LogoPicture(std::function<void()> onClick, QWidget* parent = nullptr);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::function<void()> onClick_;
};

// The logo's picture, size pixels square.
QPixmap DrawLogo(int size);
QPixmap ToPixmap(const pictures::Picture& picture);

} // namespace qz
