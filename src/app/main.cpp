#include "app/application.h"

int main(int argc, char* argv[]) {
    TKvrWinApp app(argc, argv);
    return app.Run();
}
