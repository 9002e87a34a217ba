// Vertex streams, indices and the draw calls: checked here, drawn by the
// pipeline (pipeline.h).
#include <cstring>
#include <vector>

#include "device.h"
#include "index_buffer.h"
#include "pipeline.h"
#include "surface.h"
#include "texture.h"
#include "vertex_buffer.h"

namespace d3d9impl {

HRESULT Device::SetFVF(DWORD fvf) {
  if (tracing()) traceLine("SetFVF(" + hex(fvf) + ")");
  state_.fvf = fvf;
  return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf) {
  if (fvf == nullptr) return D3DERR_INVALIDCALL;
  *fvf = state_.fvf;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                UINT stride) {
  if (tracing()) {
    traceLine("SetStreamSource(" + std::to_string(stream) + ", " + objectName(buffer) + ", " +
              std::to_string(offset) + ", " + std::to_string(stride) + ")");
  }
  auto* ours = dynamic_cast<VertexBuffer*>(buffer);
  if (stream >= limits::kMaxStreams || (buffer != nullptr && ours == nullptr) ||
      stride > limits::kMaxStride) {
    return D3DERR_INVALIDCALL;
  }
  retainObject(ours);
  releaseObject(stream_);
  stream_ = ours;
  streamOffset_ = offset;
  streamStride_ = stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* indices) {
  if (tracing()) traceLine("SetIndices(" + objectName(indices) + ")");
  auto* ours = dynamic_cast<IndexBuffer*>(indices);
  if (indices != nullptr && ours == nullptr) return D3DERR_INVALIDCALL;
  retainObject(ours);
  releaseObject(indices_);
  indices_ = ours;
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  if (tracing()) {
    traceLine("DrawPrimitive(" + primitiveName(type) + ", " + std::to_string(startVertex) + ", " +
              std::to_string(primitiveCount) + ")");
  }
  return draw(type, 0, startVertex, 0, primitiveCount, false);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                     UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                     UINT primitiveCount) {
  if (tracing()) {
    traceLine("DrawIndexedPrimitive(" + primitiveName(type) + ", " +
              std::to_string(baseVertexIndex) + ", " + std::to_string(minVertexIndex) + ", " +
              std::to_string(numVertices) + ", " + std::to_string(startIndex) + ", " +
              std::to_string(primitiveCount) + ")");
  }
  return draw(type, baseVertexIndex, 0, startIndex, primitiveCount, true);
}

HRESULT Device::draw(D3DPRIMITIVETYPE type, INT baseVertex, UINT startVertex, UINT startIndex,
                     UINT primitiveCount, bool indexed) {
  if (!inScene_ || renderTarget_ == nullptr || stream_ == nullptr ||
      primitiveCount > limits::kMaxPrimitiveCount) {
    return D3DERR_INVALIDCALL;
  }
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP && type != D3DPT_TRIANGLEFAN) {
    return D3DERR_INVALIDCALL;  // points and lines are not drawn by this device
  }
  VertexLayout layout;
  if (!vertexLayout(state_.fvf, &layout) || streamStride_ < layout.size) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  const std::uint64_t vertexCount =
      type == D3DPT_TRIANGLELIST ? std::uint64_t{primitiveCount} * 3 : primitiveCount + 2u;

  // The vertices this draw reads, as indices into the stream.
  const BufferStore& vertices = stream_->store();
  if (streamOffset_ > vertices.length() || vertices.locked()) return D3DERR_INVALIDCALL;
  const std::uint64_t available =
      (vertices.length() - streamOffset_) >= layout.size
          ? (vertices.length() - streamOffset_ - layout.size) / streamStride_ + 1
          : 0;
  std::vector<std::uint32_t>& order = order_;
  if (indexed) {
    if (indices_ == nullptr || indices_->store().locked()) return D3DERR_INVALIDCALL;
    const BufferStore& store = indices_->store();
    const UINT indexSize = indices_->format() == D3DFMT_INDEX32 ? 4 : 2;
    if ((std::uint64_t{startIndex} + vertexCount) * indexSize > store.length()) {
      return D3DERR_INVALIDCALL;
    }
    order.resize(static_cast<std::size_t>(vertexCount));
    const std::uint8_t* base = store.data() + std::size_t{startIndex} * indexSize;
    for (std::size_t i = 0; i < order.size(); ++i) {
      std::uint32_t index;
      if (indexSize == 2) {
        std::uint16_t small;
        std::memcpy(&small, base + i * 2, 2);
        index = small;
      } else {
        std::memcpy(&index, base + i * 4, 4);
      }
      const std::int64_t vertex = std::int64_t{baseVertex} + index;
      if (vertex < 0 || static_cast<std::uint64_t>(vertex) >= available) return D3DERR_INVALIDCALL;
      order[i] = static_cast<std::uint32_t>(vertex);
    }
  } else {
    if (startVertex + vertexCount > available) return D3DERR_INVALIDCALL;
    order.resize(static_cast<std::size_t>(vertexCount));
    for (std::size_t i = 0; i < order.size(); ++i)
      order[i] = startVertex + static_cast<std::uint32_t>(i);
  }

  DrawInput input;
  input.state = &state_;
  input.viewport = viewport_;
  input.target = &renderTarget_->image();
  for (DWORD i = 0; i < limits::kMaxTextureStages; ++i) input.textures[i] = textures_[i];
  input.layout = layout;
  input.vertices = vertices.data() + streamOffset_;
  input.stride = streamStride_;
  input.type = type;
  input.order = &order;
  renderDraw(input);
  return D3D_OK;
}

}  // namespace d3d9impl
