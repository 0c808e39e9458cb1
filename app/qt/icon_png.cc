// zorvane-icon-png IMAGE SIZE OUTPUT.png: the program icon at SIZE x SIZE pixels for the
// desktop's icon theme. The drawing is pixel art, so whole multiples keep its pixels
// square and sharp; other sizes are resampled smoothly.
#include <cstdio>
#include <cstdlib>

#include <QImage>
#include <QString>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: zorvane-icon-png IMAGE SIZE OUTPUT.png\n");
    return 2;
  }
  const QImage image(QString::fromLocal8Bit(argv[1]));
  const int size = std::atoi(argv[2]);
  if (image.isNull() || size <= 0) {
    std::fprintf(stderr, "zorvane-icon-png: cannot read %s or bad size %s\n", argv[1], argv[2]);
    return 1;
  }
  const bool whole_multiple = size % image.width() == 0 && size % image.height() == 0;
  const QImage scaled =
      image.convertToFormat(QImage::Format_ARGB32)
          .scaled(size, size, Qt::IgnoreAspectRatio,
                  whole_multiple ? Qt::FastTransformation : Qt::SmoothTransformation);
  if (!scaled.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "zorvane-icon-png: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
