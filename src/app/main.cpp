#include "app/application.h"
#include "app/render_command.h"
#include "printing/print_command.h"

int main(int argc, char* argv[]) {
    if (kui::WantsRender(argc, argv))
        return kui::RenderFromCommandLine(argc, argv);
    if (kui::WantsPrint(argc, argv))
        return kui::PrintFromCommandLine(argc, argv);
    TKvrWinApp app(argc, argv);
    return app.Run();
}
