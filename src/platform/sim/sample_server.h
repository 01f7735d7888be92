#pragma once

namespace quorel::sim {

class SimPlatform;

// A small file server that shows what the matrix can show: two roots
// (C:\Projects, D:\Shares), folders six levels deep, explicit and inherited
// ACEs, inherit-only and deny ACEs, a deleted account whose SID no longer
// resolves, an empty ACL, protected folders, a junction with its target and
// a name beyond ASCII. The scan runs as a member of Administrators. The
// bundled sample dataset is its scan.
void BuildSampleServer(SimPlatform& sim);

}  // namespace quorel::sim
