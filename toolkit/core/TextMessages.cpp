#include "TextMessages.h"

#include "Text.h"

#include <vector>

namespace toolkit {

namespace {

constexpr std::size_t kSingleAtomLimit = 256; // shorter texts fit one atom
constexpr std::size_t kPiece = 241;
constexpr std::size_t kHeadPiece = 240;

void deleteAll(platform::Desktop& desktop, const std::vector<platform::AtomId>& atoms)
{
    for (platform::AtomId a : atoms)
        desktop.deleteAtom(a);
}

// Creates the chain from its end backwards; the head atom comes last. Empty
// when an atom could not be made (the ones made are deleted again).
std::vector<platform::AtomId> makeChain(platform::Desktop& desktop, const std::u16string& text)
{
    std::vector<platform::AtomId> atoms;
    std::u16string rest = text;
    platform::AtomId next = 0;
    auto add = [&](std::u16string piece) {
        if (next != 0)
            piece += Utf8ToUtf16(kAtomChainMark + std::to_string(next));
        next = desktop.addAtom(Utf16ToUtf8(piece));
        if (next == 0)
            return false;
        atoms.push_back(next);
        return true;
    };
    while (rest.size() > kHeadPiece) {
        if (!add(rest.substr(rest.size() - kPiece))) {
            deleteAll(desktop, atoms);
            return {};
        }
        rest.resize(rest.size() - kPiece);
    }
    if (!add(rest)) {
        deleteAll(desktop, atoms);
        return {};
    }
    return atoms;
}

} // namespace

bool SendTextMessage(platform::Desktop& desktop, platform::WindowId window,
                     platform::MessageId message, std::int64_t wParam, const std::string& text)
{
    if (window == 0)
        return false;
    if (TrimControl(text).empty())
        return desktop.sendMessage(window, message, wParam, 0);

    const std::u16string wide = Utf8ToUtf16(text);
    std::vector<platform::AtomId> atoms;
    if (wide.size() < kSingleAtomLimit) {
        if (const platform::AtomId a = desktop.addAtom(text))
            atoms.push_back(a);
    } else {
        atoms = makeChain(desktop, wide);
    }
    if (atoms.empty())
        return false;
    const bool delivered = desktop.sendMessage(window, message, wParam, atoms.back());
    if (delivered)
        desktop.deleteAtom(atoms.back());
    else
        deleteAll(desktop, atoms);
    return delivered;
}

} // namespace toolkit
