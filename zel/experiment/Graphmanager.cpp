#include "zel/experiment/Graphmanager.h"

#include <algorithm>
#include "platform/ui/Messages.h"
#include "zel/experiment/Ugraph.h"

TGraphManager GraphManager;

TFGraph* TGraphManager::CreateGraph() { return CreateForm<TFGraph>(nullptr); }

void TGraphManager::Add(TFGraph* Graph) { FGraphs.push_back(Graph); }

void TGraphManager::Remove(TFGraph* Graph)
{
    const auto found = std::find(FGraphs.begin(), FGraphs.end(), Graph);
    if (found != FGraphs.end()) FGraphs.erase(found);
}

bool TGraphManager::IsAlive(const TFGraph* Graph) const
{
    return Graph && std::find(FGraphs.begin(), FGraphs.end(), Graph) != FGraphs.end();
}

void TGraphManager::PostToAll(UINT Msg, WPARAM WParam, LPARAM LParam) const
{
    for (TFGraph* graph : FGraphs) PostMessage(graph->Handle(), Msg, WParam, LParam);
}

TFGraph* NewGraph() { return GraphManager.CreateGraph(); }
