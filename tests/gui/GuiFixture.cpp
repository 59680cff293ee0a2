#include "GuiFixture.h"

#include "data/Dao.h"
#include "text/OleDate.h"
#include "tools/HostSim.h"

namespace stripstock::test {

GuiHost::GuiHost()
    : registry(std::make_shared<Registry>(
          MakeFileRegistryBackend(dir.filePath(QStringLiteral("registry.reg")).toStdString()))),
      diary(Path("meier.vld")) {}

std::string GuiHost::Path(const char* name) const {
    return dir.filePath(QString::fromUtf8(name)).toStdString();
}

void GuiHost::OpenDiary() {
    hostsim::InitOptions options;
    options.diaryPath = diary;
    hostsim::InitHost(*registry, options);
}

void GuiHost::SetLastMeter(const std::string& value) {
    registry->RegWriteString(
        kHkeyLocalMachine, hostsim::HostRegKeyFor(hostsim::kDefaultHostKey) + "\\bonus\\TestStrip",
        "LastMeter", value);
}

void GuiHost::RegisterMeter(const std::string& name, int code, const std::string& desc) {
    hostsim::RegisterModule(*registry, hostsim::kDefaultHostKey, name, "0",
                            "COM1|9600|8N1|" + std::to_string(code), desc);
}

Context GuiHost::MakeCtx() const {
    Context ctx;
    ctx.registry = registry;
    ctx.engines = std::make_shared<dao::EngineFactory>();
    ctx.programDir = dir.path().toStdString();
    ctx.pathSeparator = '/';
    ctx.clock = [] { return ToOleDate(CivilDateTime{2010, 3, 1, 12, 0, 0}); };
    return ctx;
}

ModalWatcher::ModalWatcher() {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::Poll);
    m_timer.start();
}

void ModalWatcher::Next(std::function<void(QDialog*)> step) { m_steps.append(std::move(step)); }

void ModalWatcher::Poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || m_ignored.contains(dialog)) {
        return;
    }
    seen.append(dialog->objectName());
    if (m_steps.isEmpty()) {
        dialog->reject();
    } else {
        m_steps.takeFirst()(dialog);
    }
}

}  // namespace stripstock::test
