// Creation of framework objects by class: a creator is a static record with a
// function that makes a new object of one class. Document templates and
// splitters keep creators, so a splitter can make more views of the class it
// was given without any class-information machinery.
//
//   fw::ViewClassOf<CMyView>()    // const fw::ViewClass*
//   fw::DocClassOf<CMyDoc>()      // const fw::DocClass*
//   fw::FrameClassOf<CMainFrame>()
#pragma once

class CDocument;
class CView;
class CFrameWnd;
class CDocTemplate;

namespace fw {

template <class Base>
struct Creator {
  Base* (*create)();
};

template <class T, class Base>
const Creator<Base>* CreatorOf() {
  static const Creator<Base> c{[]() -> Base* { return new T; }};
  return &c;
}

using ViewClass = Creator<CView>;
using DocClass = Creator<CDocument>;
using FrameClass = Creator<CFrameWnd>;

template <class T>
const ViewClass* ViewClassOf() { return CreatorOf<T, CView>(); }
template <class T>
const DocClass* DocClassOf() { return CreatorOf<T, CDocument>(); }
template <class T>
const FrameClass* FrameClassOf() { return CreatorOf<T, CFrameWnd>(); }

}  // namespace fw

// What a frame needs to create its views (passed through WM_CREATE).
struct CCreateContext {
  const fw::ViewClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};
