#include "model/document_hooks.h"

namespace quorvex::model {
namespace {
DocumentHooks* g_document = nullptr;
}

DocumentHooks* ActiveDocument() {
  return g_document;
}

void SetActiveDocument(DocumentHooks* document) {
  g_document = document;
}

void MarkDocumentModified() {
  if (g_document) g_document->SetModifiedFlag(true);
}

}  // namespace quorvex::model
