#include "kit/effect/IGraphics.h"

#include "kit/effect/BitmapStorage.h"
#include "kit/effect/ControlLayer.h"
#include "kit/effect/IBitmapControl.h"
#include "kit/effect/IEffectBase.h"
#include "kit/effect/IPanelControl.h"
#include "kit/effect/IPopupMenu.h"
#include "kit/rast/RAST_SysBitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

IGraphics::IGraphics(IEffectBase* plug, int w, int h, int fps)
    : m_plug(plug), m_width(w), m_height(h), m_fps(fps < 1 ? 25 : fps) {}

IGraphics::~IGraphics() {
    m_controls.Empty(true);
    m_layers.Empty(true);
    delete m_drawBitmap;
    delete m_scratchBitmap;
}

// ---- Contents

void IGraphics::PrepDraw() {
    delete m_drawBitmap;
    delete m_scratchBitmap;
    m_drawBitmap = nullptr;
    m_scratchBitmap = nullptr;
    m_drawPrepared = true;
}

RAST_IBitmap* IGraphics::surface() {
    if (!m_drawBitmap && m_drawPrepared) m_drawBitmap = new RAST_SysBitmap(m_width, m_height);
    return m_drawBitmap;
}

int IGraphics::AttachControl(IControl* control) {
    if (!m_controls.Add(control)) {
        delete control;
        return -1;
    }
    ContentsChanged();
    return m_controls.GetSize() - 1;
}

int IGraphics::AttachLayer(ControlLayer* layer) {
    if (!m_layers.Add(layer)) {
        delete layer;
        return -1;
    }
    layer->setGraphics(this);
    {
        std::lock_guard<std::mutex> lock(m_indexLock);
        if (m_index) m_indexPending.push_back(layer);
    }
    return m_layers.GetSize() - 1;
}

void IGraphics::insertBackground(IControl* background) {
    if (m_controls.Insert(0, background))
        ContentsChanged();
    else
        delete background;
}

void IGraphics::ContentsChanged() {
    std::lock_guard<std::mutex> lock(m_indexLock);
    m_index.reset();
    m_indexPending.clear();
}

namespace {

// The background gives its bitmap's reference back when it goes.
class BackgroundControl : public IBitmapControl {
public:
    BackgroundControl(IEffectBase* plug, const IBitmap* bitmap)
        : IBitmapControl(plug, 0, 0, -1, bitmap, IChannelBlend::kBlendCopy) {}
    ~BackgroundControl() override { BitmapStorage::Instance().Remove(m_bitmap.mData); }
};

} // namespace

void IGraphics::AttachBackground(int id, const char* name, double scale) {
    const IBitmap bitmap = LoadIBitmap(id, name, scale, 1, false);
    insertBackground(new BackgroundControl(m_plug, &bitmap));
}

void IGraphics::AttachPanelBackground(const IColor* color) {
    insertBackground(new IPanelControl(m_plug, IRECT(0, 0, m_width, m_height), color));
}

void IGraphics::SetStrictDrawing(bool strict) {
    m_strictDrawing = strict;
    for (int i = 0; i < m_controls.GetSize(); ++i)
        m_controls.Get(i)->SetDirty(false);
}

void IGraphics::Resize(int w, int h) {
    m_width = w;
    m_height = h;
    ReleaseMouseCapture();
    // The control under the pointer goes with the others; it must not be told of leaving.
    m_mouseOver = nullptr;
    m_controls.Empty(true);
    ContentsChanged();
    PrepDraw();
    if (m_plug) m_plug->ResizeGraphics(w, h);
}

namespace {

using Filed = std::vector<std::pair<int, IControl*>>;

// Files the control under each parameter it shows, once per parameter.
void indexControl(IControl* control, Filed& filed) {
    const size_t first = filed.size();
    auto add = [&](int paramIdx) {
        for (size_t i = first; i < filed.size(); ++i)
            if (filed[i].first == paramIdx) return;
        filed.emplace_back(paramIdx, control);
    };
    add(control->ParamIdx());
    for (int k = 0; k < control->NAuxParams(); ++k)
        add(control->GetAuxParam(k)->mParamIdx);
}

void indexLayer(const ControlLayer* layer, Filed& filed) {
    for (int i = 0; i < layer->getControls().GetSize(); ++i)
        indexControl(layer->getControls().Get(i), filed);
    for (int i = 0; i < layer->getChildren().GetSize(); ++i)
        indexLayer(layer->getChildren().Get(i), filed);
}

} // namespace

IGraphics::ControlIndex::ControlIndex(const std::vector<std::pair<int, IControl*>>& filed) {
    if (filed.empty()) return;
    const auto [low, high] = std::minmax_element(
        filed.begin(), filed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    m_lowest = low->first;
    // Counted, then placed in filing order: a parameter's controls keep their order.
    m_first.assign(size_t(int64_t(high->first) - m_lowest + 2), 0);
    for (const auto& [paramIdx, control] : filed)
        ++m_first[size_t(int64_t(paramIdx) - m_lowest + 1)];
    for (size_t i = 1; i < m_first.size(); ++i)
        m_first[i] += m_first[i - 1];
    m_controls.resize(filed.size());
    std::vector<int> next(m_first.begin(), m_first.end() - 1);
    for (const auto& [paramIdx, control] : filed)
        m_controls[size_t(next[size_t(int64_t(paramIdx) - m_lowest)]++)] = control;
}

std::pair<IControl* const*, IControl* const*> IGraphics::ControlIndex::of(int paramIdx) const {
    const int64_t i = int64_t(paramIdx) - m_lowest;
    if (i < 0 || i + 1 >= int64_t(m_first.size())) return {nullptr, nullptr};
    return {m_controls.data() + m_first[size_t(i)], m_controls.data() + m_first[size_t(i) + 1]};
}

void IGraphics::ControlIndex::fileInto(std::vector<std::pair<int, IControl*>>& filed) const {
    for (size_t i = 0; i + 1 < m_first.size(); ++i)
        for (int k = m_first[i]; k < m_first[i + 1]; ++k)
            filed.emplace_back(m_lowest + int(i), m_controls[size_t(k)]);
}

std::shared_ptr<const IGraphics::ControlIndex> IGraphics::controlIndex() {
    std::lock_guard<std::mutex> lock(m_indexLock);
    if (!m_index) {
        Filed filed;
        for (int i = 0; i < m_controls.GetSize(); ++i)
            indexControl(m_controls.Get(i), filed);
        for (int i = 0; i < m_layers.GetSize(); ++i)
            indexLayer(m_layers.Get(i), filed);
        m_index = std::make_shared<ControlIndex>(filed);
    } else if (!m_indexPending.empty()) {
        Filed filed;
        m_index->fileInto(filed);
        for (const ControlLayer* layer : m_indexPending)
            indexLayer(layer, filed);
        m_index = std::make_shared<ControlIndex>(filed);
    }
    m_indexPending.clear();
    return m_index;
}

void IGraphics::showFromPlug(const ControlIndex& index, int paramIdx, double value,
                             bool normalized) {
    if (!normalized) {
        IParam* param = m_plug ? m_plug->GetParam(paramIdx) : nullptr;
        if (!param) return;
        value = param->GetNormalized(value);
        param->SetNormalized(value);
    }
    const auto [first, end] = index.of(paramIdx);
    for (IControl* const* control = first; control != end; ++control)
        (*control)->ShowParamFromPlug(paramIdx, value);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
    showFromPlug(*controlIndex(), paramIdx, value, normalized);
}

void IGraphics::ShowOnOtherControls(const IControl* source, int paramIdx) {
    const IParam* param = m_plug ? m_plug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    const double value = param->GetNormalized();
    const std::shared_ptr<const ControlIndex> index = controlIndex();
    const auto [first, end] = index->of(paramIdx);
    for (IControl* const* control = first; control != end; ++control)
        if (*control != source) (*control)->ShowParamFromPlug(paramIdx, value);
}

void IGraphics::SetParametersFromPlug(const std::vector<std::pair<int, double>>& values,
                                      bool normalized) {
    const std::shared_ptr<const ControlIndex> index = controlIndex();
    for (auto [paramIdx, value] : values)
        showFromPlug(*index, paramIdx, value, normalized);
}

// ---- Input

void IGraphics::ReleaseMouseCapture() {
    m_captured = nullptr;
    m_mouseX = m_mouseY = -1;
}

IControl* IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
    if (m_captured) return m_captured;
    // Overlays are the layers that repaint what they covered when they go.
    for (bool overlays : {true, false})
        for (int i = m_layers.GetSize() - 1; i >= 0; --i) {
            ControlLayer* layer = m_layers.Get(i);
            if (layer->getIgnoreHidden() != overlays) continue;
            IControl* hit = layer->isHit(x, y);
            if (hit || (layer->isModal() && layer->isVisible())) return hit;
        }
    for (int i = m_controls.GetSize() - 1; i >= 0; --i) {
        IControl* control = m_controls.Get(i);
        if (control->IsHidden()) continue;
        if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed())) continue;
        if (control->IsHit(x, y)) return control;
    }
    return nullptr;
}

// The parameter index is read before a handler runs: a handler may resize the editor, which
// deletes the top-level controls.

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
    ReleaseMouseCapture();
    IControl* target = GetMouseControlIdx(x, y);
    if (!target) return;
    m_captured = target;
    m_mouseX = x;
    m_mouseY = y;
    const int paramIdx = target->ParamIdx();
    tookInput();
    target->OnMouseDown(x, y, mod);
    if (paramIdx >= 0 && m_plug) m_plug->BeginInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
    // A release whose press went elsewhere (the host's click that opened the editor under the
    // pointer) is no edit.
    const bool pressedHere = m_captured;
    IControl* target = GetMouseControlIdx(x, y);
    ReleaseMouseCapture();
    if (!target) return;
    const int paramIdx = target->ParamIdx();
    if (pressedHere) tookInput();
    target->OnMouseUp(x, y, mod);
    if (paramIdx >= 0 && m_plug) m_plug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
    if (!m_captured) return;
    const int dX = x - m_mouseX;
    const int dY = y - m_mouseY;
    if (dX == 0 && dY == 0) return;
    m_mouseX = x;
    m_mouseY = y;
    tookInput();
    m_captured->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
    ReleaseMouseCapture();
    IControl* target = GetMouseControlIdx(x, y);
    if (!target) return false;
    tookInput();
    if (!target->GetDblAsSingleClick()) {
        target->OnMouseDblClick(x, y, mod);
        return false;
    }
    m_captured = target;
    m_mouseX = x;
    m_mouseY = y;
    target->OnMouseDown(x, y, mod);
    return true;
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
    if (!m_handleMouseOver) return false;
    IControl* target = GetMouseControlIdx(x, y, true);
    if (!target) return true;
    m_mouseX = x;
    m_mouseY = y;
    target->OnMouseOver(x, y, mod);
    if (m_mouseOver && m_mouseOver != target) m_mouseOver->OnMouseOut();
    m_mouseOver = target;
    return true;
}

void IGraphics::OnMouseOut() {
    for (int i = 0; i < m_controls.GetSize(); ++i)
        m_controls.Get(i)->OnMouseOut();
    m_mouseOver = nullptr;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
    IControl* target = GetMouseControlIdx(x, y);
    if (!target) return;
    tookInput();
    target->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
    IControl* target = GetMouseControlIdx(x, y);
    if (!target) return false;
    tookInput();
    return target->OnKeyDown(x, y, key);
}

void IGraphics::tookInput() {
    if (m_plug) m_plug->NoteEditorInput();
}

void IGraphics::OnGUIIdle() {
    for (int i = 0; i < m_controls.GetSize(); ++i)
        m_controls.Get(i)->OnGUIIdle();
}

// ---- Redraw

bool IGraphics::IsDirty(IRECT* r) {
    bool dirty = false;
    for (int i = 1; i < m_controls.GetSize(); ++i)
        dirty = m_controls.Get(i)->UnionDirtyRECT(r) || dirty;
    for (int i = 0; i < m_layers.GetSize(); ++i)
        dirty = m_layers.Get(i)->isDirty(r) || dirty;
    return dirty;
}

bool IGraphics::Draw(IRECT* r) {
    const int n = m_controls.GetSize();
    if (n == 0 && m_layers.GetSize() == 0) return true;
    if (m_strictDrawing) {
        m_drawRect = *r;
        // After a resize there is no background until the plug-in attaches a new one.
        if (IControl* background = m_controls.Get(0)) background->Draw(this);
        for (int i = 1; i < n; ++i)
            m_controls.Get(i)->Repaint(this, *r);
    } else {
        drawDirtyControls();
    }
    for (int i = 0; i < m_layers.GetSize(); ++i)
        m_layers.Get(i)->Draw(this, &m_drawRect);
    return DrawScreen(&m_drawRect);
}

void IGraphics::drawDirtyControls() {
    const int n = m_controls.GetSize();
    IControl* background = m_controls.Get(0);
    if (background && background->IsDirty()) {
        m_drawRect = background->GetRECT();
        for (int i = 0; i < n; ++i) {
            IControl* control = m_controls.Get(i);
            if (i > 0 && control->IsHidden()) continue;
            control->Draw(this);
            control->SetClean();
        }
        return;
    }
    for (int i = 1; i < n; ++i) {
        IControl* dirty = m_controls.Get(i);
        if (!dirty->IsDirty()) continue;
        m_drawRect = dirty->GetRECT();
        for (int j = 0; j < n; ++j) {
            IControl* control = m_controls.Get(j);
            if (control->IsHidden()) continue;
            if (j == i || control->GetRECT().Intersects(m_drawRect)) control->Draw(this);
        }
        dirty->SetClean();
    }
}

// ---- Prompts

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect) {
    if (!control || !param || !rect) return;
    char current[MAX_PARAM_DISPLAY_LEN];
    const EParamType type = param->Type();
    const int nTexts = param->GetNDisplayTexts();
    if ((type == kTypeBool || type == kTypeEnum) && nTexts > 0) {
        param->GetDisplayForHost(current, true);
        IPopupMenu menu;
        for (int i = 0; i < nTexts; ++i) {
            const char* text = param->GetDisplayText(i);
            menu.AddItem(text, -1,
                         strcmp(text, current) == 0 ? IPopupMenuItem::kChecked
                                                    : IPopupMenuItem::kNoFlags);
        }
        if (CreateIPopupMenu(&menu, rect) && menu.GetChosenItemIdx() >= 0)
            control->SetValueFromUserInput(param->GetNormalized(menu.GetChosenItemIdx()));
        return;
    }
    param->GetDisplayForHost(current, type == kTypeText);
    CreateTextEntry(control, control->GetText(), rect, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text) {
    if (!control || !param) return;
    tookInput();
    if (!text) text = "";
    switch (param->Type()) {
    case kTypeBool:
    case kTypeEnum: {
        int value = 0;
        param->MapDisplayText(text, &value);
        control->SetValueFromUserInput(param->GetNormalized(value));
        break;
    }
    case kTypeText: {
        // The value toggles so that an edit of the text alone still reaches the plug-in.
        param->SetDisplayText(0, text);
        const double toggled = control->GetValue() == 0.0 ? 1.0 : 0.0;
        param->Set(toggled);
        control->SetValueFromUserInput(toggled);
        control->SetValueFromUserInput(param->GetNormalized(0.0));
        break;
    }
    default:
        control->SetValueFromUserInput(param->GetNormalized(atof(text)));
        break;
    }
}
