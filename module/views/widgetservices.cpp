#include "views/widgetservices.h"

#include "db/escape.h"
#include "views/longwork.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>

#include <xcb/xcb.h>

#include <cstdlib>

namespace kx {

namespace {

// Esc state from the X server's key map, so long loops see the key without running
// the event loop.
class TX11EscapeProbe {
public:
    bool operator()()
    {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        if (!c)
            return false;
        if (FKeyCode == 0)
            FKeyCode = FindEscapeKeyCode(c);
        if (FKeyCode == 0)
            return false;
        xcb_query_keymap_reply_t* reply = xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr);
        if (!reply)
            return false;
        const bool down = reply->keys[FKeyCode / 8] & (1 << (FKeyCode % 8));
        std::free(reply);
        return down;
    }

private:
    static xcb_keycode_t FindEscapeKeyCode(xcb_connection_t* c)
    {
        constexpr xcb_keysym_t kEscape = 0xff1b;
        const xcb_setup_t* setup = xcb_get_setup(c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* map =
            xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr);
        if (!map)
            return 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        xcb_keycode_t found = 0;
        for (int k = 0; k < count && !found; ++k)
            for (int j = 0; j < map->keysyms_per_keycode; ++j)
                if (syms[k * map->keysyms_per_keycode + j] == kEscape) {
                    found = xcb_keycode_t(setup->min_keycode + k);
                    break;
                }
        std::free(map);
        return found;
    }

    xcb_keycode_t FKeyCode = 0;
};

// Elsewhere (offscreen, other window systems): an application-wide filter that follows
// the Esc key as its events pass.
class TEscapeKeyFilter : public QObject {
public:
    bool Held = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && !key->isAutoRepeat())
                Held = event->type() == QEvent::KeyPress;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

TExportRunner LongWorkExportRunner()
{
    return [](QWidget* parent, const QString& title, const TExportWork& work) {
        return RunLongWork(parent, title, [&work](TConnection&, IEngineProgress& progress) {
                   work(progress);
                   return true;
               })
            == lwDone;
    };
}

void InstallWidgetServices()
{
    SetMessageResponder(WidgetMessageBox);
    // Exports and printouts of thousands of rows run off the GUI thread like any long work.
    SetExportRunner(LongWorkExportRunner());
    // The keyboard is read the way the running platform allows, decided at each poll so
    // that the module may be loaded before the application exists.
    SetEscapeProbe([x11 = TX11EscapeProbe(), filter = QPointer<TEscapeKeyFilter>()]() mutable {
        if (qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            return x11();
        if (!filter && QCoreApplication::instance()) {
            filter = new TEscapeKeyFilter;
            filter->setParent(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(filter);
        }
        return filter && filter->Held;
    });
}

} // namespace kx
