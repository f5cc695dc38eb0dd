#pragma once

// What the export tests read back: the Khronos validator's verdict and what an
// independent reader (assimp) finds in the file.

#include <assimp/anim.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <memory>
#include <string>
#include <vector>

#include "support/RunCommand.h"

namespace export_check {

struct Validation {
    int exitCode = -1;
    std::string report;
};

// Runs the validator over `path`; exit code 0 means no errors.
inline Validation Validate(const std::string& path) {
    const CommandOutput run = RunCommand(std::string("NODE_PATH='") + MAROVIN_NPM_ROOT + "' '" + MAROVIN_NODE + "' '" +
                                         MAROVIN_GLTF_VALIDATE + "' '" + path + "' 2>&1");
    return {run.exitCode, run.text};
}

struct MeshSummary {
    std::string name;
    unsigned vertices = 0;
    unsigned faces = 0;
    unsigned morphTargets = 0;
    unsigned bones = 0;
};

struct AnimationSummary {
    std::string name;
    double seconds = 0.0;
    unsigned morphChannels = 0;
    unsigned nodeChannels = 0;
};

struct ReadBack {
    std::string error;  // empty when assimp read the file
    std::vector<MeshSummary> meshes;
    std::vector<AnimationSummary> animations;
    std::vector<std::string> nodes;
    unsigned lights = 0;
    unsigned cameras = 0;
    unsigned materials = 0;
    unsigned textures = 0;  // embedded pictures

    const MeshSummary* Mesh(const std::string& name) const {
        for (const MeshSummary& mesh : meshes) {
            if (mesh.name == name) {
                return &mesh;
            }
        }
        return nullptr;
    }
    const AnimationSummary* Animation(const std::string& name) const {
        for (const AnimationSummary& animation : animations) {
            if (animation.name == name) {
                return &animation;
            }
        }
        return nullptr;
    }
    bool HasNode(const std::string& name) const {
        for (const std::string& node : nodes) {
            if (node == name) {
                return true;
            }
        }
        return false;
    }
};

inline void CollectNodes(const aiNode* node, std::vector<std::string>& names) {
    names.emplace_back(node->mName.C_Str());
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        CollectNodes(node->mChildren[i], names);
    }
}

inline ReadBack ReadWithAssimp(const std::string& path) {
    ReadBack back;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (scene == nullptr) {
        back.error = importer.GetErrorString();
        return back;
    }
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        back.meshes.push_back({mesh->mName.C_Str(), mesh->mNumVertices, mesh->mNumFaces, mesh->mNumAnimMeshes,
                               mesh->mNumBones});
    }
    for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
        const aiAnimation* animation = scene->mAnimations[a];
        const double ticks = animation->mTicksPerSecond > 0.0 ? animation->mTicksPerSecond : 1.0;
        back.animations.push_back({animation->mName.C_Str(), animation->mDuration / ticks,
                                   animation->mNumMorphMeshChannels, animation->mNumChannels});
    }
    CollectNodes(scene->mRootNode, back.nodes);
    back.lights = scene->mNumLights;
    back.cameras = scene->mNumCameras;
    back.materials = scene->mNumMaterials;
    back.textures = scene->mNumTextures;
    return back;
}

}  // namespace export_check
