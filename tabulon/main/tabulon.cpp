#include "platform/qt/app.h"
#include "tabulon/tabulon_1.h"

int main(int argc, char** argv) {
  plat::Application app(argc, argv);
  TTabulon_main w;
  w.show();
  return app.exec();
}
