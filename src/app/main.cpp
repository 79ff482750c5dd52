#include "app/application.h"
#include "app/render_command.h"

int main(int argc, char* argv[]) {
    if (kui::WantsRender(argc, argv))
        return kui::RenderFromCommandLine(argc, argv);
    TKvrWinApp app(argc, argv);
    return app.Run();
}
