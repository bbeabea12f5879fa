#include "CliArguments.h"
#include "CliRun.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const cli::Parsed parsed = cli::parseArguments(QCoreApplication::arguments().mid(1));
    if (!parsed.arguments) {
        std::fprintf(stderr, "quillmere-cli: %s\n\n%s", parsed.error.toUtf8().constData(),
                     cli::usageText().toUtf8().constData());
        return 2;
    }
    if (parsed.arguments->help) {
        std::fputs(cli::usageText().toUtf8().constData(), stdout);
        return 0;
    }
    if (parsed.arguments->version) {
        std::fputs("quillmere-cli " QUILLMERE_VERSION "\n", stdout);
        return 0;
    }
    return cli::run(*parsed.arguments);
}
