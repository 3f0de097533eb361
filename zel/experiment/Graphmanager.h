// The open graph windows, so that callers never touch a window the operator has closed.
#pragma once
#include <vector>
#include "platform/base/Types.h"

class TFGraph;
using TFGraphVector = std::vector<TFGraph*>;

class TGraphManager {
public:
    // A new graph window, owned by the application's list of forms; it registers itself.
    TFGraph* CreateGraph();
    void Add(TFGraph* Graph);
    // Removes the first entry of the window, if any.
    void Remove(TFGraph* Graph);
    bool IsAlive(const TFGraph* Graph) const;
    // Posts the message to every registered window in registration order.
    void PostToAll(UINT Msg, WPARAM WParam, LPARAM LParam) const;
    const TFGraphVector& Graphs() const { return FGraphs; }

private:
    TFGraphVector FGraphs;
};

extern TGraphManager GraphManager;

// A new graph window, shown at once.
TFGraph* NewGraph();
